# The demo application under a real X server (Xvfb and openbox), driven by
# xdotool as a keyboard drives it. Skipped (77) where those tools are missing.
# Screenshots of each step: build/e2e-screens/.
if(TARGET probation-demo AND TARGET probation-db)
  add_test(NAME e2e_demo_under_x
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/demo-under-x.sh
      $<TARGET_FILE:probation-demo> $<TARGET_FILE:probation-db> ${PROJECT_BINARY_DIR})
  set_tests_properties(e2e_demo_under_x PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 240)
endif()
