# One interface target carries the warning level and Qt's strictness switches;
# every target of the project links it.
add_library(mirevo_warnings INTERFACE)
target_compile_options(mirevo_warnings INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(mirevo_warnings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_KEYWORDS)
if(MIREVO_WERROR)
  target_compile_options(mirevo_warnings INTERFACE -Werror)
endif()
if(MIREVO_SANITIZE)
  target_compile_options(mirevo_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(mirevo_warnings INTERFACE -fsanitize=address,undefined)
endif()
