# The designer plugin and the installed package, tested from outside.

# tst_designerplugin loads the plugin from its file in the build tree, as
# Designer does (with Designer's form editor), and loads forms through it at
# run time, as a host does with QUiLoader.
if(TARGET tst_designerplugin)
  find_package(Qt6 REQUIRED COMPONENTS UiPlugin Designer UiTools)
  target_link_libraries(tst_designerplugin PRIVATE Qt6::UiPlugin Qt6::Designer Qt6::UiTools)
  target_compile_definitions(tst_designerplugin PRIVATE
    TORVA_DESIGNER_PLUGIN="$<TARGET_FILE:torva_designer_plugin>"
    TORVA_HEADER_ROOT="${CMAKE_BINARY_DIR}/include")
  add_dependencies(tst_designerplugin torva_designer_plugin)
endif()

# packaging_consumer installs this build into a scratch prefix, checks the
# layout, and builds and runs tests/consumer against the installed package.
add_test(NAME packaging_consumer
  COMMAND ${CMAKE_COMMAND}
    -DTORVA_BUILD_DIR=${PROJECT_BINARY_DIR}
    -DTORVA_CONFIG=$<CONFIG>
    -DCONSUMER_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/consumer
    -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/packaging_consumer
    -DCONSUMER_GENERATOR=${CMAKE_GENERATOR}
    -DCONSUMER_CXX_COMPILER=${CMAKE_CXX_COMPILER}
    -DINSTALL_BINDIR=${CMAKE_INSTALL_BINDIR}
    -DINSTALL_LIBDIR=${CMAKE_INSTALL_LIBDIR}
    -DINSTALL_DESIGNERDIR=${QT6_INSTALL_PLUGINS}/designer
    -P ${CMAKE_CURRENT_SOURCE_DIR}/consumer/build_against_install.cmake)
set_tests_properties(packaging_consumer PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
