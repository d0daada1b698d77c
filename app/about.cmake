# The About box and the real modal boxes: library boardwick_about.
add_library(boardwick_about STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Unit1.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConnectBox.cpp
)
target_include_directories(boardwick_about PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(boardwick_about PUBLIC
    boardwick_session boardwick_components boardwick_resources boardwick_games Qt6::Widgets)
