# What the desktop's, the browser's and Windows' builds share, included by
# each before its project(): the version, C++17, and the build type taken
# when none is given (PQN_DEFAULT_BUILD_TYPE, set by the includer).
set(PQN_VERSION 1.0.0)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE ${PQN_DEFAULT_BUILD_TYPE})
endif()
