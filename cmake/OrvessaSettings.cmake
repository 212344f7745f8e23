# Shared compile settings for every Orvessa target.
add_library(orvessa_settings INTERFACE)
target_compile_features(orvessa_settings INTERFACE cxx_std_20)
target_compile_options(orvessa_settings INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_include_directories(orvessa_settings INTERFACE ${PROJECT_SOURCE_DIR})

# Qt targets additionally refuse implicit conversions from char strings.
add_library(orvessa_qt_settings INTERFACE)
target_link_libraries(orvessa_qt_settings INTERFACE orvessa_settings)
target_compile_definitions(orvessa_qt_settings INTERFACE QT_NO_CAST_FROM_ASCII)

# One GoogleTest executable per test file, registered with CTest.
# add_orvessa_test(NAME name SOURCES ... LIBS ... [ENV VAR=VALUE ...])
function(add_orvessa_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE orvessa_settings GTest::gtest GTest::gtest_main ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;${T_ENV}"
    TIMEOUT 300)
endfunction()

# Compiles a data file into the program as a byte array with a size.
# embed_file(TARGET target INPUT file SYMBOL name)
function(embed_file)
  cmake_parse_arguments(E "" "TARGET;INPUT;SYMBOL" "" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${E_SYMBOL}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${E_INPUT} -DOUTPUT=${out} -DSYMBOL=${E_SYMBOL}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${E_INPUT} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    VERBATIM)
  target_sources(${E_TARGET} PRIVATE ${out})
endfunction()
