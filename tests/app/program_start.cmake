# ProgramStart_test runs the built programs.
if(TARGET ProgramStart_test)
  add_dependencies(ProgramStart_test veilstore veilstore-cli)
endif()
