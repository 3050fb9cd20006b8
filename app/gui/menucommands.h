#pragma once
// Command ids of the main menu and of the accelerators; tests and the frame window find
// menu items by these numbers.
namespace menucommand {
inline constexpr int filebitstream = 33121;
inline constexpr int fileoutput = 32838;
inline constexpr int fileoutputbitstream = 33132;
inline constexpr int filedirectory = 32836;
inline constexpr int decodedecode = 33123;
inline constexpr int decodescale = 33133;
inline constexpr int quantiserqscale = 33131;
inline constexpr int decodebitrate = 33124;
inline constexpr int decodeber = 33134;
inline constexpr int appabout = 57664;
inline constexpr int filenew = 57600;
inline constexpr int fileopen = 57601;
inline constexpr int filereset = 33200;
inline constexpr int decodecancel = 33201;
} // namespace menucommand
