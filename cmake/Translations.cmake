# The English translation must cover every text of the interface.
# `cmake --build build --target update-translations` brings translations/*.ts up to date with
# the sources (new texts appear unfinished, gone ones are dropped); the test
# translations_complete fails while any text lacks a finished English translation or the
# .ts files differ from what the sources hold.
get_target_property(_lupdate Qt6::lupdate IMPORTED_LOCATION)
if(NOT _lupdate)
  set(_lupdate $<TARGET_FILE:Qt6::lupdate>)
endif()
add_custom_target(update-translations
  COMMAND python3 ${PROJECT_SOURCE_DIR}/scripts/translations.py update ${_lupdate}
          ${PROJECT_SOURCE_DIR}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Updating translations/*.ts from the sources"
  VERBATIM)
if(KELVANE_TESTS)
  add_test(NAME translations_complete
           COMMAND python3 ${PROJECT_SOURCE_DIR}/scripts/translations.py check ${_lupdate}
                   ${PROJECT_SOURCE_DIR})
  set_tests_properties(translations_complete PROPERTIES TIMEOUT 120)
endif()
