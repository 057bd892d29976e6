# cmake --install into a temporary prefix, checked with the desktop's and
# Debian's own tools, and the installed alcove started under Xvfb. It runs the
# real binary once, outside the sanitizer build (label sin_sanitizer).
add_test(NAME instalacion
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/instalacion/probar_instalacion.sh ${PROJECT_BINARY_DIR}
                 ${PROJECT_VERSION})
set_tests_properties(instalacion PROPERTIES LABELS "instalacion;sin_sanitizer" TIMEOUT 120)
