# Installs the main build into a scratch prefix, checks what landed there, then
# configures, builds and runs the consumer project against that prefix alone.
# The scratch folder goes again at the end, whatever the outcome.
#
#   cmake -DTORVA_BUILD_DIR=<main build> -DTORVA_CONFIG=<config> -DCONSUMER_SOURCE_DIR=<tests/consumer>
#         -DWORK_DIR=<scratch> -DCONSUMER_GENERATOR=<generator> -DCONSUMER_CXX_COMPILER=<compiler>
#         -DINSTALL_BINDIR=<bin> -DINSTALL_LIBDIR=<lib> -DINSTALL_DESIGNERDIR=<designer plugins>
#         -P build_against_install.cmake

foreach(setting IN ITEMS TORVA_BUILD_DIR CONSUMER_SOURCE_DIR WORK_DIR CONSUMER_GENERATOR
                         INSTALL_BINDIR INSTALL_LIBDIR INSTALL_DESIGNERDIR)
  if("${${setting}}" STREQUAL "")
    message(FATAL_ERROR "build_against_install.cmake: ${setting} is not set")
  endif()
endforeach()

set(prefix ${WORK_DIR}/prefix)
set(consumer_build ${WORK_DIR}/build)
set(database ${WORK_DIR}/database)
set(config_args)
if(TORVA_CONFIG)
  set(config_args --config ${TORVA_CONFIG})
endif()
# The installed files must do without the build tree's library path.
set(clean_env ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen)

macro(fail text)
  file(REMOVE_RECURSE ${WORK_DIR})
  message(FATAL_ERROR "${text}")
endmacro()

# Fails unless text contains part (taken literally, not as a pattern).
function(expect_in text part complaint)
  string(FIND "${text}" "${part}" at)
  if(at EQUAL -1)
    fail("${complaint}:\n${text}")
  endif()
endfunction()

# Runs a command and leaves its output in run_output; fails when it fails.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    fail("${what} failed (${result}):\n${output}")
  endif()
  set(run_output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

# ---- Install, and look at the layout.
run("Installing ${TORVA_BUILD_DIR}" ${CMAKE_COMMAND} --install ${TORVA_BUILD_DIR} --prefix ${prefix} ${config_args})

set(headers include/TORVAProbationParties)
set(package ${INSTALL_LIBDIR}/cmake/TORVAProbationParties)
foreach(file IN ITEMS
    ${INSTALL_LIBDIR}/libTORVAProbationParties.so
    ${INSTALL_LIBDIR}/libTORVAProbationParties.so.0
    ${headers}/base/clock.h
    ${headers}/controls/imagelist.h
    ${headers}/data/database.h
    ${headers}/party_editor/partyeditor.h
    ${headers}/parties_editor/partieseditor.h
    ${headers}/torvaprobationparties_export.h
    ${package}/TORVAProbationPartiesConfig.cmake
    ${package}/TORVAProbationPartiesConfigVersion.cmake
    ${package}/TORVAProbationPartiesTargets.cmake
    ${INSTALL_BINDIR}/probation-db
    ${INSTALL_BINDIR}/probation-demo)
  if(NOT EXISTS ${prefix}/${file})
    fail("Not installed: ${file}")
  endif()
endforeach()

# The private parts are not installed: no engine, statement or connection.
foreach(file IN ITEMS ${headers}/data/engines ${headers}/data/connection.h ${headers}/data/statements.h
    ${headers}/data/schema.h ${headers}/controls/outlineview.h)
  if(EXISTS ${prefix}/${file})
    fail("Installed, but private: ${file}")
  endif()
endforeach()

# The library exports the public API alone.
find_program(NM nm)
if(NM)
  run("nm on the library" ${NM} -DC --defined-only ${prefix}/${INSTALL_LIBDIR}/libTORVAProbationParties.so)
  # A symbol of its own, not a public member that names a private type.
  foreach(private IN ITEMS Connection Engine SqliteEngine PostgresCall OdbcPreparedStatement LockedSelect Schema
      OutlineView)
    string(REGEX MATCH " [A-Za-z] (typeinfo for |vtable for )?Torva::${private}::" exported "${run_output}")
    if(exported)
      fail("The library exports a private part (${exported})")
    endif()
  endforeach()
  expect_in("${run_output}" "Torva::PartyEditor::LoadRecord" "The library does not export the party editor")
endif()

file(GLOB plugins ${prefix}/${INSTALL_DESIGNERDIR}/*.so)
list(LENGTH plugins plugin_count)
if(NOT plugin_count EQUAL 1)
  fail("Expected one designer plugin in ${INSTALL_DESIGNERDIR}, found: ${plugins}")
endif()

# Nothing of the tests' goes into the package.
file(GLOB_RECURSE test_files RELATIVE ${prefix} ${prefix}/*tst_* ${prefix}/*second_user* ${prefix}/*test_support*)
if(test_files)
  fail("Test files installed: ${test_files}")
endif()

# ---- The installed program and plugin find the installed library.
run("Running the installed probation-db" ${clean_env} ${prefix}/${INSTALL_BINDIR}/probation-db --help)

find_program(LDD ldd)
if(LDD)
  run("ldd on the designer plugin" ${clean_env} ${LDD} ${plugins})
  expect_in("${run_output}" "libTORVAProbationParties.so.0 => ${prefix}/"
            "The installed designer plugin does not find the installed library")
endif()

# ---- The consumer project, against the installed package only.
set(compiler_args)
if(CONSUMER_CXX_COMPILER)
  set(compiler_args -DCMAKE_CXX_COMPILER=${CONSUMER_CXX_COMPILER})
endif()
run("Configuring the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE_DIR} -B ${consumer_build}
  -G ${CONSUMER_GENERATOR} ${compiler_args} -DCMAKE_BUILD_TYPE=${TORVA_CONFIG}
  -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
file(STRINGS ${consumer_build}/CMakeCache.txt package_dir REGEX "^TORVAProbationParties_DIR:")
expect_in("${package_dir}" "=${prefix}/" "The consumer found the package elsewhere")

run("Building the consumer" ${CMAKE_COMMAND} --build ${consumer_build} ${config_args})

find_program(consumer consumer PATHS ${consumer_build} ${consumer_build}/${TORVA_CONFIG} NO_DEFAULT_PATH)
if(NOT consumer)
  fail("The consumer was not built in ${consumer_build}")
endif()
run("Running the consumer" ${clean_env} ${consumer} sqlite:${database})
expect_in("${run_output}" "database sqlite:${database}\n" "The consumer did not use the database it was given")
expect_in("${run_output}" "editors Torva::PartyEditor Torva::PartiesEditor\n" "The consumer did not create both editors")

file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "The consumer builds and runs against the package installed in ${prefix}")
