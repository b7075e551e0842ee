# Helper programs that the reliability tests run as second processes.

# Readies an editor for a write and dies at a chosen statement of it.
add_executable(save_and_die ${CMAKE_CURRENT_LIST_DIR}/save_and_die.cpp)
target_link_libraries(save_and_die PRIVATE torva_test_support SQLite::SQLite3)

# Saves many new parties through a party editor, as one user of several at once.
add_executable(party_saver ${CMAKE_CURRENT_LIST_DIR}/party_saver.cpp)
target_link_libraries(party_saver PRIVATE torva_test_support)

# Keeps a write transaction open on the embedded database until told to stop.
add_executable(busy_writer ${CMAKE_CURRENT_LIST_DIR}/busy_writer.cpp)
target_link_libraries(busy_writer PRIVATE torva_test_support)

foreach(test tst_crashsafety tst_concurrency)
  if(TARGET ${test})
    target_compile_definitions(${test} PRIVATE
      TORVA_SAVE_AND_DIE="$<TARGET_FILE:save_and_die>"
      TORVA_PARTY_SAVER="$<TARGET_FILE:party_saver>"
      TORVA_BUSY_WRITER="$<TARGET_FILE:busy_writer>")
    add_dependencies(${test} save_and_die party_saver busy_writer)
  endif()
endforeach()
