#pragma once
// Texts that many end-to-end runs expect on the console or in outlier.out.

#include <string>

namespace e2e {

inline const std::string kPrompt1 = "INPUT NAME of FILE WITH PEDIGREE DATA: ";
inline const std::string kPrompt2 =
    "INPUT CODE OF MISSING DATA (REAL OR INTEGER)\n"
    "      OR \"NO\" FOR SAMPLE WITHOUT MISSING DATA: ";
inline const std::string kPrompts = kPrompt1 + kPrompt2;
inline const std::string kNotice =
    " ERROR: cannot open or read pedigree file\n"
    " Press \"Ctrl O\" to see system information  \n";
inline const std::string kNoTrace = "No call trace available.\n";
inline const std::string kFinished =
    "PAUSE PROGRAM IS FINISHED. SEE RESULTS IN FILE outlier.out  statement "
    "executed.  Hit Return to continue\n";

}  // namespace e2e
