# Run by CPack after it makes a package. CPack's .deb counts each symbolic
# link as a copy of its target in Installed-Size, so the lowercase vindolar
# would double it: the field is set again from the package's own files, as
# dpkg-gencontrol counts them (each regular file in KiB, rounded up, and one
# for every other entry), and the control archive replaced in the .deb
# with its entries' times and owners kept.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.deb$")
    execute_process(COMMAND bash -euo pipefail -c [[
      deb=$1 work=$1.control
      rm -rf "$work" && mkdir "$work" && cd "$work"
      ar p "$deb" control.tar.gz | tar -xzf -
      size=$(ar p "$deb" data.tar.gz | tar -tvzf - |
        awk '{ n += /^-/ ? int(($3 + 1023) / 1024) : 1 } END { print n }')
      sed -i "s/^Installed-Size: .*/Installed-Size: $size/" control && touch -r md5sums control
      tar --format=ustar --owner=0 --group=0 --numeric-owner --mode=0644 -cf - ./md5sums ./control |
        gzip -9n >control.tar.gz
      ar r "$deb" control.tar.gz && cd .. && rm -rf "$work"]] _ ${package}
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
