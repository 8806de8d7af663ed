# One interface target carries the language level, warnings and strict Qt defines for every target.
add_library(velmarsk_config INTERFACE)
target_compile_features(velmarsk_config INTERFACE cxx_std_20)
target_compile_options(velmarsk_config INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wformat=2)
# Off by default, so that a packager's newer compiler with new warnings still builds; the project's
# own builds (scripts/test.sh, CI, the benchmarks) turn it on.
if(VELMARSK_WERROR)
  target_compile_options(velmarsk_config INTERFACE -Werror)
endif()
target_compile_definitions(velmarsk_config INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH)

if(VELMARSK_SANITIZE)
  target_compile_options(velmarsk_config INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(velmarsk_config INTERFACE -fsanitize=address,undefined)
endif()

# Coverage for libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer on every library; the
# fuzz targets link the fuzzer itself.
if(VELMARSK_FUZZ)
  target_compile_options(velmarsk_config INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(velmarsk_config INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
endif()
