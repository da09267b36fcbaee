# Writes OUT, the definition of vesk::app::buildNumber(): the commit count of the source
# checkout, or 0 when the sources are not a git checkout (a release tarball). Run at every
# build; the file is rewritten only when the number changed, so nothing recompiles needlessly.
execute_process(
  COMMAND git -C "${SOURCE_DIR}" rev-list --count HEAD
  OUTPUT_VARIABLE count
  RESULT_VARIABLE status
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET)
if(NOT status EQUAL 0 OR NOT count MATCHES "^[0-9]+$")
  set(count 0)
endif()
file(WRITE "${OUT}.new"
  "namespace vesk::app {\nint buildNumber() {\n    return ${count};\n}\n}  // namespace vesk::app\n")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
