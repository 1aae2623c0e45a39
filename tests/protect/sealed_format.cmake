# The kept sealed container, read by a script that uses libsodium's
# documented functions alone (Debian's python3-nacl, so the system's own
# Python): the format as the documentation gives it, independent of the
# program's code.
find_program(VLS_SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(VLS_SYSTEM_PYTHON)
  add_test(NAME sealed_format_independent
           COMMAND ${VLS_SYSTEM_PYTHON} ${PROJECT_SOURCE_DIR}/tests/data/containers/check-sealed.py
                   ${PROJECT_SOURCE_DIR}/tests/data/containers/sealed-v1.vld "correct horse 2026"
                   ${PROJECT_SOURCE_DIR}/tests/data/containers/sealed-v1.txt vector.txt 1767225600)
  set_tests_properties(sealed_format_independent PROPERTIES LABELS core)
endif()
