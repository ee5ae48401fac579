// varnu-cli catalogue [--json] FILE: loads a catalogue file and prints what it holds, as an
// outline or as JSON. Names are the file's bytes; CP932 files are decoded to UTF-8 for output.

#include "catalogue_text/CatalogueText.h"
#include "cli/CheckedStream.h"
#include "cli/CliCommands.h"
#include "cli/Diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace varnu::cli {

namespace {

constexpr std::string_view kUsage = "usage: varnu-cli catalogue [--json] FILE\n"
                                    "  exit status: 0 shown, 1 the catalogue is unusable or standard output cannot be "
                                    "written, 2 usage\n";
constexpr ProgramUsage kProgram{"varnu-cli", "varnu-cli catalogue", kUsage};

// The codes a reader sees: up to and including the first End.
std::vector<int> visibleCodes(const std::vector<std::uint8_t>& codes) {
    const auto end = std::find(codes.begin(), codes.end(), End);
    return {codes.begin(), end == codes.end() ? end : end + 1};
}

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out, TextEncoding encoding) : out_(out), encoding_(encoding) {}

    void write(const Catalogue& catalogue) {
        out_ << "{\"classes\":[";
        writeEach(
            catalogue.groups, [&](const CommandGroup& group) { writeGroup(group); }, "\n ");
        out_ << "],\n \"forms\":[";
        writeEach(
            catalogue.forms, [&](const TargetForm& form) { writeForm(form); }, "\n ");
        out_ << "]}\n";
    }

private:
    template <typename Items, typename WriteItem>
    void writeEach(const Items& items, WriteItem writeItem, std::string_view separator = "") {
        bool first = true;
        for (const auto& item : items) {
            if (!first)
                out_ << ",";
            out_ << separator;
            first = false;
            writeItem(item);
        }
    }

    void writeName(std::string_view bytes) {
        out_ << '"';
        for (const char c : catalogueUtf8(bytes, encoding_)) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out_ << '\\' << c;
            } else if (byte < 0x20 || byte == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out_ << escaped;
            } else {
                out_ << c;
            }
        }
        out_ << '"';
    }

    void writeGroup(const CommandGroup& group) {
        out_ << "{\"name\":";
        writeName(group.name);
        out_ << ",\"functions\":[";
        writeEach(group.functions, [&](const CommandFunction& function) { writeFunction(function); });
        out_ << "]}";
    }

    void writeFunction(const CommandFunction& function) {
        out_ << "{\"name\":";
        writeName(function.name);
        out_ << ",\"dataMin\":" << function.dataMin << ",\"dataMax\":" << function.dataMax
             << ",\"dataDefault\":" << function.dataDefault << ",\"targets\":[";
        writeEach(function.targets, [&](const std::string& target) { writeName(target); });
        out_ << "]}";
    }

    void writePass(const TargetForm& form, FormPass pass) {
        const auto slot = static_cast<std::size_t>(pass);
        out_ << "{\"codes\":[";
        writeEach(visibleCodes(form.codesFor(pass)), [&](int code) { out_ << code; });
        out_ << "],\"fixedSlave\":" << form.fixedSlave[slot] << ",\"fixedAddress\":" << form.fixedAddress[slot]
             << ",\"dataOffset\":" << form.dataOffset[slot] << ",\"slaveOffset\":" << form.slaveOffset[slot] << "}";
    }

    void writeForm(const TargetForm& form) {
        out_ << "{\"name\":";
        writeName(form.name);
        out_ << ",\n   \"write\":";
        writePass(form, FormPass::Write);
        out_ << ",\n   \"read\":";
        writePass(form, FormPass::Read);
        out_ << ",\n   \"prompts\":{\"slave\":" << form.slavePrompt << ",\"address\":" << form.addressPrompt
             << ",\"data\":" << form.dataPrompt << ",\"multi\":" << form.multiPrompt << "}}";
    }

    std::ostream& out_;
    TextEncoding encoding_;
};

void writeCodes(std::ostream& out, const TargetForm& form, FormPass pass, std::string_view label) {
    const auto slot = static_cast<std::size_t>(pass);
    out << "    " << label << ":";
    for (const int code : visibleCodes(form.codesFor(pass)))
        out << " " << code;
    out << "  (fixed slave " << form.fixedSlave[slot] << ", fixed address " << form.fixedAddress[slot]
        << ", data offset " << form.dataOffset[slot] << ", slave offset " << form.slaveOffset[slot] << ")\n";
}

void writeOutline(std::ostream& out, const Catalogue& catalogue) {
    const auto name = [&](std::string_view bytes) { return catalogueUtf8(bytes, catalogue.encoding); };
    out << "Encoding: " << (catalogue.encoding == TextEncoding::Utf8 ? "UTF-8" : "CP932") << "\n";
    out << "Classes: " << catalogue.groups.size() << "\n";
    for (std::size_t i = 0; i < catalogue.groups.size(); ++i) {
        const CommandGroup& group = catalogue.groups[i];
        out << "  " << i << " " << name(group.name) << "\n";
        for (std::size_t j = 0; j < group.functions.size(); ++j) {
            const CommandFunction& f = group.functions[j];
            out << "    " << j << " " << name(f.name) << "  data " << f.dataMin << ".." << f.dataMax << ", default "
                << f.dataDefault << "  ->";
            for (const std::string& target : f.targets)
                out << " [" << name(target) << "]";
            out << "\n";
        }
    }
    out << "Targets: " << catalogue.forms.size() << "\n";
    for (const TargetForm& form : catalogue.forms) {
        out << "  [" << name(form.name) << "]\n";
        writeCodes(out, form, FormPass::Write, "WRITE");
        writeCodes(out, form, FormPass::Read, "READ ");
        out << "    prompts: slave " << form.slavePrompt << ", address " << form.addressPrompt << ", data "
            << form.dataPrompt << ", multi " << form.multiPrompt << "\n";
    }
}

} // namespace

int runCatalogueCommand(Args args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    line.addFlag(QStringLiteral("json"));
    if (const std::optional<int> status = parseCommandLine(line, args, kProgram, out, err))
        return *status;
    if (const std::optional<int> status = refusePositional(line, 1, 1, "a FILE", kProgram, err))
        return *status;
    Catalogue catalogue;
    if (!loadCatalogueOrSay(line.positional().front(), catalogue, err))
        return kExitFailure;
    CheckedStream output(out, std::string(kStandardOutput));
    if (line.isSet(QStringLiteral("json")))
        JsonWriter(output.stream(), catalogue.encoding).write(catalogue);
    else
        writeOutline(output.stream(), catalogue);
    return output.flush() ? kExitOk : reportWriteFailure(err, "catalogue", output);
}

} // namespace varnu::cli
