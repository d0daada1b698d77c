# The main window: layout and wiring of the session.
add_library(boardwick_app STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Main.h
    ${CMAKE_CURRENT_LIST_DIR}/MainLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainBoard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainStartup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainDiscovery.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainKeeping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainAway.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainPlayer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlayerName.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainPrivacy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusPanels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BoardwickApplication.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FirstFrame.cpp
)
target_include_directories(boardwick_app PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(boardwick_app PUBLIC
    boardwick_session boardwick_games boardwick_about boardwick_board boardwick_net boardwick_components
    boardwick_resources Qt6::Widgets Qt6::Network)

add_executable(boardwick ${CMAKE_CURRENT_LIST_DIR}/Boardwick.cpp)
target_link_libraries(boardwick PRIVATE boardwick_app)
