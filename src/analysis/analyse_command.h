#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "engine/usi_engine.h"

namespace ixo {

// What `--analyse` is told besides its files.
struct AnalysisOptions {
    EngineSetup engine;         // fairy-stockfish unless --engine named another
    bool defaultEngine = true;  // no --engine: a missing engine wants the package installed
    int msPerMove = 1000;       // --analysis-time
    // The terminal shows one progress line that updates in place; elsewhere (a log, a pipe)
    // plain lines are written instead.
    bool interactive = false;
};

// Analyses each record named (a file, or every .kif and .kifu directly in a folder) and
// writes it with the verdicts as comments to `output`: that file for one record, or a file of
// the same name in that folder for several, or when a folder was named or `output` is one
// (it is made when missing). A file is written whole or not at all, and only once its
// analysis is complete. Progress and every refusal go to `terminal`.
// Returns 0 when every record was analysed and written; 1 when any could not be read,
// analysed or written (the others still are); 2 when the arguments cannot be carried out
// as given (no input, or several records for one output file).
int analyseRecords(const std::vector<std::string>& inputs, const std::string& output,
                   const AnalysisOptions& options, std::ostream& terminal);

}  // namespace ixo
