# Keeping games and choosing the promotion piece: library boardwick_games.
add_library(boardwick_games STATIC
    ${CMAKE_CURRENT_LIST_DIR}/GameAutosave.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PromotionChooser.cpp
)
target_include_directories(boardwick_games PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(boardwick_games PUBLIC boardwick_session boardwick_board boardwick_rules Qt6::Widgets)
