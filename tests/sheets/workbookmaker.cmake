# The tests' workbook writer (ZIP, .xlsx, a million-row staff list), for the sheet tests,
# the window's import tests, the import's fuzz target and its benchmark.
if(NOT TARGET workbookmaker)
    add_library(workbookmaker STATIC
        ${CMAKE_CURRENT_LIST_DIR}/zipmaker.h ${CMAKE_CURRENT_LIST_DIR}/zipmaker.cpp
        ${CMAKE_CURRENT_LIST_DIR}/workbookmaker.h ${CMAKE_CURRENT_LIST_DIR}/workbookmaker.cpp
        ${CMAKE_CURRENT_LIST_DIR}/staffworkbook.cpp)
    target_include_directories(workbookmaker PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(workbookmaker PUBLIC Qt6::Core PRIVATE prizedraw_zlib)
endif()
