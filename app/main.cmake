# Session logic that needs no window: line framing, peer lines, move texts, clock arithmetic.
add_library(boardwick_session_logic STATIC
    ${CMAKE_CURRENT_LIST_DIR}/LineFramer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PeerProtocol.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MoveText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClockMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LocalAddress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreciseTimer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GameState.cpp
)
target_include_directories(boardwick_session_logic PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(boardwick_session_logic PUBLIC Qt6::Core Qt6::Network boardwick_about boardwick_net boardwick_rules)

# The main window and the session it runs with the peer.
add_library(boardwick_app STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Main.h
    ${CMAKE_CURRENT_LIST_DIR}/MainLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainBoard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainStartup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainProtocol.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainConnection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainGame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainClockChat.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainKeeping.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainAway.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PeerLink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusPanels.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BoardwickApplication.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FirstFrame.cpp
)
target_include_directories(boardwick_app PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(boardwick_app PUBLIC
    boardwick_session_logic boardwick_games boardwick_about boardwick_board boardwick_net boardwick_components
    boardwick_resources Qt6::Widgets Qt6::Network)

add_executable(boardwick ${CMAKE_CURRENT_LIST_DIR}/Boardwick.cpp)
target_link_libraries(boardwick PRIVATE boardwick_app)
