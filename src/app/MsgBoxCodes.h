#pragma once

// The codes ShowMessage takes for the program's own message box. Plain ints:
// they cross the seam between core and windows unchanged.

// The box type picks the icon: Critical shows the critical picture whatever
// the buttons chose; the other types keep the buttons' picture.
namespace MsgBoxType {
inline constexpr int Critical = 0;
inline constexpr int Information = 2; // success notes
inline constexpr int Confirmation = 3; // the exit question; looks like Information
} // namespace MsgBoxType

// The buttons, left to right. Any other value keeps the buttons and the icon as designed.
namespace MsgButtons {
inline constexpr int Ok = 0; // the information picture
inline constexpr int OkCancel = 1; // the question picture
inline constexpr int YesNo = 2; // the question picture
} // namespace MsgButtons
