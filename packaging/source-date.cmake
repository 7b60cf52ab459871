# Run by CPack on the staged files before it packs them: each file and
# folder gets the time of the last commit (SOURCE_DATE_EPOCH) where that is
# set. The RPM keeps the times it is given, only clamping the newer ones,
# and the README's time would otherwise be that of its checkout.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND find ${CPACK_TEMPORARY_DIRECTORY} -exec touch -h -d @$ENV{SOURCE_DATE_EPOCH} {} +
    COMMAND_ERROR_IS_FATAL ANY)
endif()
