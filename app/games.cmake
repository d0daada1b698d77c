# Keeping games, choosing the promotion piece and telling the player while away: library boardwick_games.
add_library(boardwick_games STATIC
    ${CMAKE_CURRENT_LIST_DIR}/GameAutosave.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GameEnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Notices.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PromotionChooser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session/PeerText.cpp
)
target_include_directories(boardwick_games PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(boardwick_games PUBLIC boardwick_board boardwick_rules Qt6::Widgets)
