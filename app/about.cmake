# The About box, the modal-box interface and the integer syntax shared with the peer protocol.
add_library(boardwick_about STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Unit1.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IntegerSyntax.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Dialogs.cpp
)
target_include_directories(boardwick_about PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(boardwick_about PUBLIC
    boardwick_components boardwick_resources boardwick_games Qt6::Widgets)
