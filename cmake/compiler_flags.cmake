# Warnings are errors in every build.
add_compile_options(-Wall -Wextra -Wpedantic -Werror)

if(WIN32)
  # Unicode Win32 API, Vista as the oldest supported system.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600)
endif()

if(OV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# GCC 12 at -O2/-O3 reports false overlapping-copy warnings inside std::string's own code
# (a known compiler fault); they are not ours to fix, so they do not fail optimised builds.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options($<$<NOT:$<CONFIG:Debug>>:-Wno-restrict>)
endif()
