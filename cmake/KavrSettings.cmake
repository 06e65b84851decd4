# Settings every target of the project shares, and the fuzzers' own build too: the language,
# the warnings, Qt's strict rules (no implicit conversion of a C string to QString, no connect
# without a context object that ends the connection with it), the source root as the include
# folder. KAVR_WERROR makes warnings errors (CI builds so); KAVR_SANITIZE builds with
# AddressSanitizer and UndefinedBehaviorSanitizer.
# Included by CMakeLists.txt and fuzz/CMakeLists.txt with KAVR_ROOT set to the source root.
add_library(kavr_settings INTERFACE)
target_compile_features(kavr_settings INTERFACE cxx_std_20)
target_compile_options(kavr_settings INTERFACE -Wall -Wextra -Wno-missing-field-initializers)
target_compile_definitions(kavr_settings INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CONTEXTLESS_CONNECT QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER)
target_include_directories(kavr_settings INTERFACE ${KAVR_ROOT})

option(KAVR_WERROR "Treat warnings as errors" OFF)
if(KAVR_WERROR)
    target_compile_options(kavr_settings INTERFACE -Werror)
endif()

option(KAVR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KAVR_SANITIZE)
    target_compile_options(kavr_settings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(kavr_settings INTERFACE -fsanitize=address,undefined)
endif()
