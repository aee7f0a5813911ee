#pragma once
// What a second copy of the program shows before it ends. The text does not
// come from a language file: it is fixed, in code page 932
// ("ORVANE KM-27はすでに起動されています。" and "２重起動はできません").
namespace km27 {

inline constexpr char kAlreadyRunningText[] = {
    'O', 'R', 'V', 'A', 'N', 'E', ' ', 'K', 'M', '-', '2', '7',
    '\x82', '\xCD', '\x82', '\xB7', '\x82', '\xC5', '\x82', '\xC9', '\x8B', '\x4E', '\x93', '\xAE',
    '\x82', '\xB3', '\x82', '\xEA', '\x82', '\xC4', '\x82', '\xA2', '\x82', '\xDC', '\x82', '\xB7',
    '\x81', '\x42', '\0'};
inline constexpr char kAlreadyRunningCaption[] = {
    '\x82', '\x51', '\x8F', '\x64', '\x8B', '\x4E', '\x93', '\xAE', '\x82', '\xCD',
    '\x82', '\xC5', '\x82', '\xAB', '\x82', '\xDC', '\x82', '\xB9', '\x82', '\xF1', '\0'};
inline constexpr int kAlreadyRunningCodePage = 932;

}  // namespace km27
