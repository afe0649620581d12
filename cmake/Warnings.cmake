# Warnings are errors-to-be: the tree builds with none at -Wall -Wextra.
add_compile_options(-Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false positives inside libstdc++ at -O2/-O3 (std::vector, std::string; GCC bug 105329).
    add_compile_options(-Wno-stringop-overflow -Wno-array-bounds -Wno-restrict)
endif()
