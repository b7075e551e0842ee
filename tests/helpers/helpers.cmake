# The helper program that the reliability tests run as another user, in a
# process of its own (support/childprocess.h): it holds row locks, saves
# parties, dies mid-save or keeps the database busy.
add_executable(second_user ${CMAKE_CURRENT_LIST_DIR}/second_user.cpp)
target_link_libraries(second_user PRIVATE torva_test_support SQLite::SQLite3)
target_compile_definitions(torva_test_support PRIVATE TORVA_SECOND_USER="$<TARGET_FILE:second_user>")

foreach(test tst_crashsafety tst_concurrency)
  if(TARGET ${test})
    add_dependencies(${test} second_user)
  endif()
endforeach()
