# Sourced by the scripts that build: every build uses all of the machine's cores
# unless CMAKE_BUILD_PARALLEL_LEVEL says otherwise.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
