#include "analysis/analyse_command.h"

#include <dirent.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "analysis/move_verdict.h"
#include "analysis/record_analyser.h"
#include "record/kif_reader.h"
#include "record/kif_writer.h"
#include "record/record_format.h"
#include "record/record_store.h"
#include "record/text_encoding.h"
#include "shogi/notation.h"

namespace ixo {

namespace {

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string baseName(const std::string& path) {
    std::string trimmedPath = path;
    while (trimmedPath.size() > 1 && trimmedPath.back() == '/') {
        trimmedPath.pop_back();
    }
    const std::size_t slash = trimmedPath.rfind('/');
    return slash == std::string::npos ? trimmedPath : trimmedPath.substr(slash + 1);
}

bool isRecordName(const std::string& name) {
    return endsWith(name, ".kif") || endsWith(name, ".kifu") || endsWith(name, ".KIF") ||
           endsWith(name, ".KIFU");
}

// The records of a folder, in name order so that runs are alike.
std::vector<std::string> recordsIn(const std::string& folder) {
    std::vector<std::string> found;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            const std::string path = folder + (folder.back() == '/' ? "" : "/") + name;
            if (isRecordName(name) && !isFolder(path)) {
                found.push_back(path);
            }
        }
        closedir(listing);
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Every record format is read here and nowhere else in this command.
bool readRecordAt(const std::string& path, GameRecord& record, std::string& error) {
    std::string bytes;
    if (!readRecordFile(path, bytes, error)) {
        return false;
    }
    // KIF, KI2 or CSA, told apart by their content.
    RecordReading reading = readAnyRecord(bytes);
    if (!reading.ok()) {
        error = reading.errorLine > 0
                    ? "line " + std::to_string(reading.errorLine) + ": " + reading.error
                    : reading.error;
        return false;
    }
    // A text with neither a move nor a header line is no record at all, though it reads as an
    // empty one; a start alone is still worth its one verdict.
    if (reading.record.root().children.empty() && reading.record.headers.empty() &&
        reading.record.handicap.empty()) {
        error = "it holds no moves and no header";
        return false;
    }
    record = std::move(reading.record);
    return true;
}

class Progress {
  public:
    Progress(std::ostream& terminal, bool interactive)
        : terminal_(terminal), interactive_(interactive) {}

    void show(const std::string& name, int done, int total) {
        if (interactive_) {
            constexpr int kWidth = 30;
            const int filled = total > 0 ? done * kWidth / total : kWidth;
            terminal_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.')
                      << "] " << done << "/" << total << " " << name << "\x1b[K" << std::flush;
            open_ = true;
            return;
        }
        // A tenth at a time, so that a log says how far it got without a line per move.
        const int tenth = total > 0 ? done * 10 / total : 10;
        if (name != name_ || tenth != tenth_) {
            terminal_ << name << ": " << done << "/" << total << " positions\n";
        }
        name_ = name;
        tenth_ = tenth;
    }
    // A line of its own, after the progress line when one is open.
    std::ostream& line() {
        if (open_) {
            terminal_ << "\n";
            open_ = false;
        }
        return terminal_;
    }

  private:
    std::ostream& terminal_;
    bool interactive_;
    bool open_ = false;
    std::string name_;
    int tenth_ = -1;
};

// Runs the analyser to its end, waiting on the engine's pipe and deadline only.
void runAnalysis(RecordAnalyser& analyser, Progress& progress, const std::string& name) {
    int shown = -1;
    while (analyser.running()) {
        if (analyser.done() != shown) {
            shown = analyser.done();
            progress.show(name, shown, analyser.total());
        }
        const std::int64_t now = nowMs();
        const std::int64_t deadline = analyser.nextDeadline();
        int wait = 1000;
        if (deadline >= 0) {
            wait = static_cast<int>(std::clamp<std::int64_t>(deadline - now, 0, 1000));
        }
        pollfd watched{analyser.readDescriptor(), POLLIN, 0};
        poll(&watched, watched.fd >= 0 ? 1 : 0, wait);
        analyser.update(nowMs());
    }
    progress.show(name, analyser.done(), analyser.total());
}

std::string countsText(const LabelCounts& counts) {
    std::string text;
    static const char* const kSides[] = {"Blue", "Red"};
    for (int side = 0; side < 2; ++side) {
        text += std::string(side ? "; " : "") + kSides[side] + ":";
        bool any = false;
        for (int label = 1; label < kMoveLabelCount; ++label) {
            if (counts[side][label] > 0) {
                text += std::string(" ") + labelText(static_cast<MoveLabel>(label)) + " " +
                        std::to_string(counts[side][label]);
                any = true;
            }
        }
        if (!any) {
            text += " none";
        }
    }
    return text;
}

}  // namespace

int analyseRecords(const std::vector<std::string>& inputs, const std::string& output,
                   const AnalysisOptions& options, std::ostream& terminal) {
    if (inputs.empty() || output.empty()) {
        terminal << "ixo-shogi: --analyse needs a record or folder and --output\n";
        return 2;
    }
    std::vector<std::string> records;
    bool folderGiven = false;
    for (const std::string& input : inputs) {
        if (isFolder(input)) {
            folderGiven = true;
            const std::vector<std::string> found = recordsIn(input);
            records.insert(records.end(), found.begin(), found.end());
        } else {
            records.push_back(input);
        }
    }
    const bool toFolder = folderGiven || records.size() > 1 || isFolder(output);
    if (toFolder && !isFolder(output)) {
        struct stat status {};
        if (stat(output.c_str(), &status) == 0) {
            terminal << "ixo-shogi: --output " << output
                     << " is a file, but several records need a folder\n";
            return 2;
        }
        if (mkdir(output.c_str(), 0777) != 0) {
            terminal << "ixo-shogi: cannot make the folder " << output << "\n";
            return 1;
        }
    }

    Progress progress(terminal, options.interactive);
    RecordAnalyser analyser;
    int failures = 0;
    for (const std::string& path : records) {
        const std::string name = baseName(path);
        GameRecord record;
        std::string error;
        if (!readRecordAt(path, record, error)) {
            progress.line() << "ixo-shogi: " << path << " is not a record it can read: " << error
                            << "\n";
            ++failures;
            continue;
        }
        if (!analyser.start(record, options.engine, options.msPerMove, nowMs())) {
            progress.line() << "ixo-shogi: " << path << ": " << analyser.reason()
                            << (options.defaultEngine ? " (install the fairy-stockfish package, "
                                                        "or name a USI engine with --engine)"
                                                      : "")
                            << "\n";
            ++failures;
            continue;
        }
        runAnalysis(analyser, progress, name);
        for (const std::string& warning : analyser.takeWarnings()) {
            progress.line() << "ixo-shogi: " << path << ": " << warning << "\n";
        }
        if (analyser.state() != RecordAnalyser::State::Finished) {
            progress.line() << "ixo-shogi: " << path << " was not analysed to the end ("
                            << analyser.done() << " of " << analyser.total()
                            << " positions), so nothing was written: " << analyser.reason() << "\n";
            ++failures;
            continue;
        }
        const std::string target =
            toFolder ? output + (output.back() == '/' ? "" : "/") + name : output;
        if (!writeFileAtomically(target, writeKifRecord(record), false, error)) {
            progress.line() << "ixo-shogi: cannot write " << target << ": " << error << "\n";
            ++failures;
            continue;
        }
        progress.line() << name << " -> " << target << " (" << countsText(countLabels(record))
                        << ")\n";
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace ixo
