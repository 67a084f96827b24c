#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "outputs/output_mode.h"
#include "outputs/refusals.h"
#include "outputs/same_bytes.h"

namespace {

// ".<output name>.fillwright-tmp-<16 hex digits>": never a template's name,
// since it cannot end in ".pre", and it says what it is.
constexpr std::string_view temporaryMark = ".fillwright-tmp-";
constexpr std::size_t randomDigits = 16;
// Keeps the temporary name within the usual 255-byte limit of a file name.
constexpr std::size_t longestNamePart = 128;
constexpr int namingAttempts = 16;

std::string randomDigitsText() {
    static std::random_device source;
    static std::mt19937_64 numbers((std::uint64_t{source()} << 32) ^ source());
    std::uint64_t value = numbers();
    std::string digits(randomDigits, '0');
    for (std::size_t i = randomDigits; i-- > 0; value >>= 4) {
        digits[i] = "0123456789abcdef"[value & 15];
    }
    return digits;
}

std::string temporaryNameFor(const std::string& output) {
    std::string name = ".";
    name.append(output, 0, longestNamePart);
    return name.append(temporaryMark).append(randomDigitsText());
}

// Exactly the form temporaryNameFor gives.
bool isLeftoverName(std::string_view name) {
    const std::size_t suffix = temporaryMark.size() + randomDigits;
    if (name.size() < 2 + suffix || name.front() != '.' ||
        name.substr(name.size() - suffix, temporaryMark.size()) != temporaryMark) {
        return false;
    }
    return name.find_first_not_of("0123456789abcdef", name.size() - randomDigits) ==
           std::string_view::npos;
}

// The text goes to a temporary file beside the output, which takes the
// output's place in one step once complete, and only when its content
// differs from the output's. Until then readers, a crash or a second run see
// the old output.
class atomicOutput : public pendingOutput {
public:
    atomicOutput(runLog& log, const outputRequest& request, std::optional<fileIdentity> existing,
                 fileHandle temporaryFile, std::string temporaryName, std::vector<char>& buffer)
        : pendingOutput(existing, outputPlace{request.in.identity(), request.name}),
          log(log),
          in(request.in),
          output(request.name),
          outputExists(existing.has_value()),
          temporary(std::move(temporaryName)),
          file(std::move(temporaryFile)),
          sink(file) {
        out = std::make_unique<textOutput>(sink, buffer);
    }
    ~atomicOutput() override {
        if (file.isOpen()) {
            abandon();
        }
    }

    bool commit() override {
        if (!out->flush()) {
            return false;
        }
        if (outputExists) {
            const fileHandle old = in.openExisting(output);
            if (old.isOpen() && holdSameBytes(file, old)) {
                abandon();
                log.verdict(outputVerdict::unchanged);
                return true;
            }
            in.copyModeAndOwner(file, output);
        }
        if (!file.flushToDisk() || !in.replace(file, temporary, output)) {
            return false;
        }
        file.close();
        log.verdict(outputExists ? outputVerdict::changed : outputVerdict::created);
        return true;
    }

    void abandon() override {
        if (file.isOpen()) {
            in.removeOpen(file, temporary);
            file.close();
        }
    }

private:
    runLog& log;
    const directory& in;
    std::string output;
    bool outputExists;
    std::string temporary;
    fileHandle file;
    fileSink sink;
};

class atomicMode : public outputMode {
public:
    explicit atomicMode(runLog& log) : log(log) {}

    std::unique_ptr<pendingOutput> open(const outputRequest& request) override {
        fileIdentity existing;
        bool outputExists = false;
        writeRefusal refusal = writeRefusal::none;
        switch (request.in.inspect(request.name, &existing)) {
            case nameHolds::symbolicLink:
                refusal = writeRefusal::symbolicLink;
                break;
            case nameHolds::directory:
            case nameHolds::otherFile:
                refusal = writeRefusal::notRegularFile;
                break;
            case nameHolds::unknown:
                refusal = writeRefusal::cannotOpen;
                break;
            case nameHolds::regularFile:
                outputExists = true;
                if (existing == request.templateIdentity) {
                    refusal = writeRefusal::sameFile;
                } else if (!request.in.mayWrite(request.name)) {
                    // A file the account may not write in place is not replaced either.
                    refusal = writeRefusal::cannotOpen;
                }
                break;
            case nameHolds::nothing:
                break;
        }
        if (refusal != writeRefusal::none) {
            reportUnopenedOutput(log, request.path, refusal);
            return nullptr;
        }
        // An output replaced gets its old mode later; until then only the
        // owner may read the new text.
        const unsigned mode = outputExists ? 0600 : request.templateMode;
        for (int attempt = 0; attempt < namingAttempts; ++attempt) {
            std::string name = temporaryNameFor(request.name);
            bool nameTaken = false;
            fileHandle file = request.in.createExclusive(name, mode, nameTaken);
            if (file.isOpen()) {
                return std::make_unique<atomicOutput>(
                    log, request, outputExists ? std::optional(existing) : std::nullopt,
                    std::move(file), std::move(name), buffer);
            }
            if (!nameTaken) {
                break;
            }
        }
        reportUnopenedOutput(log, request.path, writeRefusal::cannotOpen);
        return nullptr;
    }

    // A killed run may leave its temporary file; only names of exactly that
    // form go, never a link, and never one that a run in progress holds.
    void passOver(const directory& in, const std::string& name) override {
        if (isLeftoverName(name)) {
            in.removeIfUnused(name);
        }
    }

private:
    runLog& log;
    std::vector<char> buffer;
};

}  // namespace

std::unique_ptr<outputMode> atomicOutputs(runLog& log) {
    return std::make_unique<atomicMode>(log);
}
