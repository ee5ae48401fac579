#pragma once
// The test classes of this binary, each run by the one main.

namespace varnu::testing {

int runMainWindowTests(int argc, char** argv);
int runHexEditTests(int argc, char** argv);
int runFieldTextTests(int argc, char** argv);
int runLayoutTests(int argc, char** argv);
int runListCommandsTests(int argc, char** argv);
int runTransmitWindowTests(int argc, char** argv);
int runAppOptionsTests(int argc, char** argv);
int runClosingTests(int argc, char** argv);
int runSessionWindowTests(int argc, char** argv);

} // namespace varnu::testing
