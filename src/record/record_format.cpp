#include "record/record_format.h"

#include <algorithm>
#include <cctype>

#include "record/csa_reader.h"
#include "record/csa_writer.h"
#include "record/ki2_reader.h"
#include "record/ki2_writer.h"
#include "record/kif_syntax.h"
#include "record/kif_writer.h"
#include "record/text_encoding.h"
#include "shogi/notation.h"

namespace ixo {

namespace {

using std::string_view;

struct Extension {
    string_view name;
    RecordFileType type;
};

constexpr Extension kExtensions[] = {
    {".kif", {RecordFormat::Kif, true}}, {".kifu", {RecordFormat::Kif, false}},
    {".ki2", {RecordFormat::Ki2, true}}, {".ki2u", {RecordFormat::Ki2, false}},
    {".csa", {RecordFormat::Csa, true}},
};

// A line only CSA writes: its statements begin with these, and no KIF or KI2 line does.
bool isCsaStatement(string_view line) {
    if (line.empty()) {
        return false;
    }
    const char first = line.front();
    if (first == '+' || first == '-') {
        return line.size() == 1 || (line.size() >= 7 && line[1] >= '0' && line[1] <= '9');
    }
    if (first == 'N' || first == 'P') {
        return line.size() >= 2 && (line[1] == '+' || line[1] == '-' || line[1] == 'I' ||
                                    (first == 'P' && line[1] >= '1' && line[1] <= '9'));
    }
    if (first == 'V') {
        return line.size() >= 2 && line[1] >= '1' && line[1] <= '9';
    }
    return first == '$' || first == '%';
}

// The first encoding line says what the text claims to be, and the writer's own says UTF-8.
std::string renamedEncoding(const std::string& text, string_view from, string_view to) {
    if (!startsWith(text, from)) {
        return text;
    }
    return std::string(to) + text.substr(from.size());
}

// What the tree holds that a format has no place for, said once for every format.
void warnLeftOut(const GameRecord& record, RecordFormat format,
                 std::vector<std::string>& warnings) {
    std::size_t timed = 0, evaluated = 0;
    std::vector<const RecordNode*> pending{&record.root()};
    while (!pending.empty()) {
        const RecordNode* node = pending.back();
        pending.pop_back();
        timed += node->timed && !node->isRoot() ? 1 : 0;
        evaluated += node->evaluated ? 1 : 0;
        for (const auto& child : node->children) {
            pending.push_back(child.get());
        }
    }
    const char* name = recordFormatName(format);
    if (format == RecordFormat::Ki2 && timed > 0) {
        warnings.push_back(std::string(name) + " keeps no times: those of " +
                           std::to_string(timed) + " moves are left out");
    }
    if (format != RecordFormat::Csa && evaluated > 0) {
        warnings.push_back(std::string(name) + " keeps no evaluations: those of " +
                           std::to_string(evaluated) + " moves are left out");
    }
}

}  // namespace

std::optional<RecordFileType> recordFileTypeOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return std::nullopt;
    }
    std::string extension = path.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Extension& known : kExtensions) {
        if (extension == known.name) {
            return known.type;
        }
    }
    return std::nullopt;
}

const char* recordFormatName(RecordFormat format) {
    switch (format) {
        case RecordFormat::Kif:
            return "KIF";
        case RecordFormat::Ki2:
            return "KI2";
        case RecordFormat::Csa:
            return "CSA";
    }
    return "KIF";
}

RecordFormat detectRecordFormat(string_view text) {
    consume(text, "\xEF\xBB\xBF");
    bool csaComments = false;
    while (!text.empty()) {
        string_view line = takeRecordLine(text);
        if (!line.empty() && line.front() == '\'') {
            // Only CSA comments begin so; the record's first statement still decides.
            csaComments = true;
            continue;
        }
        // KIF and KI2 keep headers and comments alike; their moves tell them apart.
        line = trimmed(line);
        if (line.empty() || line.front() == '#' || line.front() == '*' || line.front() == '&') {
            continue;
        }
        if (isCsaStatement(line)) {
            return RecordFormat::Csa;
        }
        if (startsWith(line, "▲") || startsWith(line, "△") || startsWith(line, "▼") ||
            startsWith(line, "▽")) {
            return RecordFormat::Ki2;
        }
        if (startsWith(line, "手数----") || (line.front() >= '0' && line.front() <= '9')) {
            return RecordFormat::Kif;
        }
    }
    return csaComments ? RecordFormat::Csa : RecordFormat::Kif;
}

RecordReading readAnyRecord(const std::string& bytes, RecordFormat* format) {
    const std::optional<std::string> text = decodeRecordText(bytes);
    if (!text) {
        RecordReading result;
        result.error = "the file is neither UTF-8 nor Shift_JIS text";
        return result;
    }
    const RecordFormat detected = detectRecordFormat(*text);
    if (format) {
        *format = detected;
    }
    switch (detected) {
        case RecordFormat::Csa:
            return readCsaRecord(*text);
        case RecordFormat::Ki2:
            return readKi2Record(*text);
        case RecordFormat::Kif:
            break;
    }
    return readKifRecord(*text);
}

RecordWriting writeRecordAs(const GameRecord& record, RecordFileType type) {
    RecordWriting result;
    std::string text;
    switch (type.format) {
        case RecordFormat::Kif:
            text = writeKifRecord(record);
            if (type.shiftJis) {
                text = renamedEncoding(text, "#KIF version=2.0 encoding=UTF-8",
                                       "#KIF version=2.0 encoding=Shift_JIS");
            }
            break;
        case RecordFormat::Ki2:
            if (!writeKi2Record(record, text, result.error, result.warnings)) {
                return result;
            }
            if (type.shiftJis) {
                text = renamedEncoding(text, "#KI2 version=2.0 encoding=UTF-8",
                                       "#KI2 version=2.0 encoding=Shift_JIS");
            }
            break;
        case RecordFormat::Csa:
            if (!writeCsaRecord(record, text, result.error, result.warnings)) {
                return result;
            }
            if (type.shiftJis) {
                // As Kifu for Windows marks its files: a comment to other readers, and what
                // tells the decoder Shift_JIS from text that would also pass as UTF-8.
                text = "'encoding=Shift_JIS\n" + text;
            }
            break;
    }
    warnLeftOut(record, type.format, result.warnings);
    if (!type.shiftJis) {
        result.bytes = std::move(text);
        return result;
    }
    std::string why;
    if (!encodeShiftJis(text, result.bytes, why)) {
        result.bytes.clear();
        result.error = "cannot be written in Shift_JIS: " + why +
                       (type.format == RecordFormat::Csa   ? std::string()
                        : type.format == RecordFormat::Kif ? "; a .kifu file keeps it"
                                                           : "; a .ki2u file keeps it");
    }
    return result;
}

}  // namespace ixo
