#pragma once

// Whether Caps Lock and Num Lock are on, as the keyboard's indicators say.
struct LockKeyState
{
    bool known = false; // false where the platform cannot tell
    bool capsLock = false;
    bool numLock = false;
};

LockKeyState CurrentLockKeys();
