#pragma once

namespace amiscan {

// Why a page did not come, as far as its load could tell: the error status the server answered
// with, or the server's certificate refused. Nothing of it when a page came whole.
struct LoadTrouble
{
    int httpStatus = 0; // an error status (400 and above) of the answer; 0 for none
    bool certificateRefused = false;
};

} // namespace amiscan
