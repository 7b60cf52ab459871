#include <cstdio>

#include "front_end.h"

int main(int argc, char** argv) { return RunVindolar(argc, argv, stdout).status; }
