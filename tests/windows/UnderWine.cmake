message(STATUS "windows tests: later")
