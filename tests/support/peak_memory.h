#pragma once
// Peak memory of a piece of work, measured in a child process so that each measurement starts
// from fresh memory and a runaway allocation cannot take the test program down with it.

#include <functional>
#include <string>
#include <vector>

namespace qavel::test {

// Runs work in a child process; returns how far the child's peak resident memory rose above
// what it held when the work began, in KiB. -1 when the child could not run or work returned
// false. Under AddressSanitizer, which keeps freed blocks in quarantine and shadows every
// byte, a peak says nothing of our code: the work still runs and must succeed, the growth is
// reported as 0 and a note says the bound went unchecked.
long PeakGrowthKiB(const std::function<bool()>& work);

// Runs a program with its arguments (argv[0] the program's path) and returns the peak resident
// memory of its whole run in KiB; -1 when it could not run or did not exit with 0. Under
// AddressSanitizer, as above, 0 once it succeeded.
long ProgramPeakKiB(const std::vector<std::string>& argv);

}  // namespace qavel::test
