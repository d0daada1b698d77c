# Session logic that needs no window: line framing, peer lines, move texts, clock arithmetic.
add_library(boardwick_session_logic STATIC
    ${CMAKE_CURRENT_LIST_DIR}/LineFramer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PeerProtocol.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MoveText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClockMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreciseTimer.cpp
)
target_include_directories(boardwick_session_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(boardwick_session_logic PUBLIC Qt6::Core boardwick_about)
