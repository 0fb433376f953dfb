#pragma once

// What ShowMessage takes for the program's own message box; it crosses the
// seam between core and windows unchanged.

// The box type picks the icon: Critical shows the critical picture whatever
// the buttons chose; the other types keep the buttons' picture.
enum class MsgBoxType {
    Critical = 0,
    Information = 2, // success notes
    Confirmation = 3, // the exit question; looks like Information
};

// The buttons, left to right.
enum class MsgButtons {
    Ok = 0, // the information picture
    OkCancel = 1, // the question picture
    YesNo = 2, // the question picture
};
