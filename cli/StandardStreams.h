#pragma once
// Makes the process's standard output carry the commands' bytes as they are, on every system:
// a reader that has gone (`varnu-cli list x | head -1`) makes a write fail with "Broken pipe",
// which the commands report and exit 1 on, instead of ending the process by SIGPIPE (Unix);
// and "\n" is not turned into "\r\n", which would make the Receive List's CR LF line ends
// CR CR LF (Windows). The platform files (StandardStreams_unix.cpp, StandardStreams_win.cpp)
// do it; main calls it first.

namespace varnu::cli {

void prepareStandardStreams();

} // namespace varnu::cli
