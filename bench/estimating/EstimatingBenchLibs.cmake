# Shared by the benchmarks and the oracle tests (which build without the benchmarks).
include_guard(GLOBAL)

add_library(estimating_large_db STATIC ${CMAKE_CURRENT_LIST_DIR}/LargeDatabase.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/LargeDatabase.h)
obravel_warnings(estimating_large_db)
target_include_directories(estimating_large_db PUBLIC ${CMAKE_CURRENT_LIST_DIR})

add_library(estimating_literal STATIC ${CMAKE_CURRENT_LIST_DIR}/LiteralAlgorithm.cpp
                                      ${CMAKE_CURRENT_LIST_DIR}/LiteralAlgorithm.h)
obravel_warnings(estimating_literal)
target_include_directories(estimating_literal PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(estimating_literal PUBLIC estimating_core)
