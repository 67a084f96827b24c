#include <filesystem>
#include <map>
#include <system_error>
#include <tuple>
#include <vector>

#include "events/shown_text.h"
#include "events/text.h"
#include "io/paths.h"
#include "io/private_directory.h"
#include "outputs/output_diff.h"
#include "outputs/output_mode.h"
#include "outputs/refusals.h"
#include "outputs/same_bytes.h"

namespace {

struct placeOrder {
    bool operator()(const outputPlace& one, const outputPlace& other) const {
        return std::tie(one.directory, one.name) < std::tie(other.directory, other.name);
    }
};

class previewMode;

// The new text of one output, kept in a file of the private directory.
class previewOutput : public pendingOutput {
public:
    previewOutput(previewMode& mode, const outputRequest& request, fileHandle newText,
                  std::string newName, std::string previousName, outputPlace place);
    bool commit() override {
        settle();
        return true;
    }
    // A real run would leave what it wrote: that is what is compared.
    void abandon() override { settle(); }
    // A real run would leave the output as it was, and so does the preview.
    void discard() override;

private:
    void settle();

    previewMode& mode;
    const directory& in;
    std::string outputName;
    std::string shown;
    fileHandle file;
    fileSink sink;
    std::string newName;
    // The new text of an earlier template for the same output, if any.
    std::string previousName;
    bool settled = false;
};

class previewMode : public outputMode {
public:
    previewMode(runLog& log, bool showDiffs, std::string path)
        : log(log),
          showDiffs(showDiffs),
          path(std::move(path)),
          texts(directory::open(this->path)) {}
    ~previewMode() override {
        for (const std::string& name : made) {
            texts.remove(name);
        }
        // Held, the directory could not be removed on Windows.
        texts = directory();
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }

    bool isReady() const { return texts.isOpen(); }

    std::unique_ptr<pendingOutput> open(const outputRequest& request) override {
        fileIdentity existing;
        const nameHolds holds = request.name.empty() ? nameHolds::directory
                                                     : request.in.inspect(request.name, &existing);
        const writeRefusal refusal =
            holds == nameHolds::symbolicLink ? writeRefusal::symbolicLink
            : holds == nameHolds::directory || holds == nameHolds::unknown
                ? writeRefusal::cannotOpen
            : holds == nameHolds::otherFile ? writeRefusal::notRegularFile
            : holds == nameHolds::regularFile && existing == request.templateIdentity
                ? writeRefusal::sameFile
                : writeRefusal::none;
        if (refusal != writeRefusal::none) {
            reportUnopenedOutput(log, request.path, refusal);
            return nullptr;
        }
        std::string name = std::to_string(made.size() + 1);
        bool nameTaken = false;
        fileHandle file = texts.createExclusive(name, 0600, nameTaken);
        if (!file.isOpen()) {
            log.message("Cannot open " + quoted(path + "/" + name) + " for output");
            log.verdict(outputVerdict::failed);
            return nullptr;
        }
        made.push_back(name);
        const outputPlace place{request.in.identity(), request.name};
        // From now on the new text stands for the output, as the output a
        // real run opens does: an include of it is the output being written.
        std::string previous =
            newTextOf(holds == nameHolds::regularFile ? &existing : nullptr, place);
        if (holds == nameHolds::regularFile) {
            byFile[existing] = name;
        }
        byPlace[place] = name;
        return std::make_unique<previewOutput>(*this, request, std::move(file), std::move(name),
                                               std::move(previous), place);
    }

    std::string readPathOf(const std::string& file) const override {
        if (byPlace.empty()) {
            return file;
        }
        const auto identity = identifyPath(file);
        const std::optional<outputPlace> place = identity ? std::nullopt : placeOfPath(file);
        const std::string name =
            newTextOf(identity ? &*identity : nullptr, place ? *place : outputPlace{});
        return name.empty() ? file : path + "/" + name;
    }

    // The new text called name stands for its output no more; the earlier
    // one, if any, does again.
    void restore(const std::string& name, const std::string& previous) {
        const auto putBack = [&](auto& texts) {
            for (auto entry = texts.begin(); entry != texts.end();) {
                if (entry->second != name) {
                    ++entry;
                } else if (previous.empty()) {
                    entry = texts.erase(entry);
                } else {
                    entry++->second = previous;
                }
            }
        };
        putBack(byFile);
        putBack(byPlace);
        forget(name);
    }

    void forget(const std::string& name) {
        if (!name.empty()) {
            texts.remove(name);
        }
    }

    runLog& log;
    const bool showDiffs;
    const std::string path;
    directory texts;
    std::vector<char> buffer;

private:
    // The name of the new text made for the output so far; empty for none.
    std::string newTextOf(const fileIdentity* identity, const outputPlace& place) const {
        if (identity != nullptr) {
            if (const auto found = byFile.find(*identity); found != byFile.end()) {
                return found->second;
            }
        }
        const auto found = byPlace.find(place);
        return found != byPlace.end() ? found->second : std::string();
    }

    std::vector<std::string> made;
    std::map<fileIdentity, std::string> byFile;
    std::map<outputPlace, std::string, placeOrder> byPlace;
};

previewOutput::previewOutput(previewMode& mode, const outputRequest& request, fileHandle newText,
                             std::string newName, std::string previousName, outputPlace place)
    : pendingOutput(newText.identity(), std::move(place)),
      mode(mode),
      in(request.in),
      outputName(request.name),
      shown(shownText(request.path)),
      file(std::move(newText)),
      sink(file),
      newName(std::move(newName)),
      previousName(std::move(previousName)) {
    out = std::make_unique<textOutput>(sink, mode.buffer);
}

void previewOutput::discard() {
    settled = true;
    file.close();
    mode.restore(newName, previousName);
}

void previewOutput::settle() {
    if (settled) {
        return;
    }
    settled = true;
    out->flush();
    // The current text is an earlier template's new text, or the output
    // itself, read through its directory without following a link: one
    // swapped in during the run may lead to any file of the machine.
    const bool earlier = !previousName.empty();
    const nameHolds holds = earlier ? nameHolds::regularFile : in.inspect(outputName);
    const fileHandle old =
        earlier ? mode.texts.openExisting(previousName) : in.openExisting(outputName);
    outputVerdict verdict = outputVerdict::created;
    if (holds != nameHolds::nothing) {
        verdict = old.isOpen() && holdSameBytes(old, file) ? outputVerdict::unchanged
                                                           : outputVerdict::changed;
    }
    runLog& log = mode.log;
    log.verdict(verdict);
    if (verdict != outputVerdict::unchanged && mode.showDiffs) {
        if (holds == nameHolds::symbolicLink) {
            log.diff("Output " + shown + " differs; it is a link, whose text is not shown\n");
        } else {
            outputDiff::write(log, shown, old, file);
        }
    }
    file.close();
    mode.forget(previousName);
}

}  // namespace

std::unique_ptr<outputMode> previewOutputs(runLog& log, bool showDiffs) {
    auto mode = std::make_unique<previewMode>(log, showDiffs, makePrivateDirectory());
    if (mode->path.empty() || !mode->isReady()) {
        log.message("Cannot make a private temporary directory for the new texts");
        return nullptr;
    }
    return mode;
}
