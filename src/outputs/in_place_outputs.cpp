#include <algorithm>
#include <cstring>
#include <vector>

#include "outputs/output_mode.h"
#include "outputs/refusals.h"

namespace {

constexpr std::size_t comparedPiece = 64 * 1024;

// Writes an output over from its start, comparing as it goes: while the new
// bytes equal the old ones nothing is written, so an output whose text is
// unchanged keeps its time stamps and wakes no one who watches it.
class comparingSink : public fileSink {
public:
    // With compared, the file holds an old text to compare with, read
    // through the same handle.
    comparingSink(const fileHandle& written, bool compared, std::vector<char>& scratch)
        : fileSink(written),
          scratch(scratch),
          oldSize(compared ? written.size() : -1),
          same(oldSize >= 0) {}

    bool holdsOldText() const {
        return same && static_cast<std::int64_t>(bytesWritten()) == oldSize;
    }
    // Where the new text ends in the file: after a failed write, where
    // writing stopped.
    std::int64_t end() const {
        return same ? static_cast<std::int64_t>(bytesWritten()) : file.position();
    }

protected:
    bool put(const char* data, std::size_t size) override {
        const std::uint64_t at = bytesWritten() - size;
        const std::size_t differs = same ? firstDifference(at, data, size) : 0;
        if (differs == size) {
            return true;
        }
        if (same) {
            same = false;
            if (!file.seek(at + differs)) {
                return false;
            }
        }
        return file.writeAll(data + differs, size - differs);
    }

private:
    // Where the new bytes at offset first differ from the old ones; size
    // when they are all the same.
    std::size_t firstDifference(std::uint64_t offset, const char* data, std::size_t size) {
        for (std::size_t done = 0; done < size;) {
            const std::size_t piece = std::min(comparedPiece, size - done);
            const long long count = file.readFull(offset + done, scratch.data(), piece);
            const std::size_t equal =
                count < 0 ? 0 : matching(data + done, static_cast<std::size_t>(count));
            if (equal < piece) {
                return done + equal;
            }
            done += piece;
        }
        return size;
    }

    std::size_t matching(const char* data, std::size_t count) const {
        if (std::memcmp(data, scratch.data(), count) == 0) {
            return count;
        }
        return static_cast<std::size_t>(std::mismatch(data, data + count, scratch.data()).first -
                                        data);
    }

    std::vector<char>& scratch;
    std::int64_t oldSize;
    bool same;
};

class inPlaceOutput : public pendingOutput {
public:
    inPlaceOutput(runLog& log, writeOpening opened, outputPlace place, std::vector<char>& buffer,
                  std::vector<char>& scratch)
        : pendingOutput(opened.file.identity(), std::move(place)),
          log(log),
          created(opened.created),
          file(std::move(opened.file)),
          sink(file, opened.oldTextReadable, scratch) {
        out = std::make_unique<textOutput>(sink, buffer);
    }

    bool commit() override {
        if (!out->flush()) {
            return false;
        }
        if (sink.holdsOldText()) {
            if (!file.close()) {
                return false;
            }
            log.verdict(outputVerdict::unchanged);
            return true;
        }
        const std::int64_t end = sink.end();
        if (end < 0 || !file.cutAt(static_cast<std::uint64_t>(end)) || !file.close()) {
            return false;
        }
        log.verdict(created ? outputVerdict::created : outputVerdict::changed);
        return true;
    }

    // What was written stays, cut where writing ended: the run says the
    // output is incomplete.
    void abandon() override {
        out->flush();
        if (const std::int64_t end = sink.end();
            file.isOpen() && !sink.holdsOldText() && end >= 0) {
            file.cutAt(static_cast<std::uint64_t>(end));
        }
        file.close();
    }

private:
    runLog& log;
    bool created;
    fileHandle file;
    comparingSink sink;
};

class inPlaceMode : public outputMode {
public:
    explicit inPlaceMode(runLog& log) : log(log), scratch(comparedPiece) {}

    std::unique_ptr<pendingOutput> open(const outputRequest& request) override {
        const fileIdentity* keep = request.templateIdentity ? &*request.templateIdentity : nullptr;
        writeOpening opened = request.in.openForWriting(request.name, request.templateMode, keep);
        if (opened.refusal != writeRefusal::none) {
            reportUnopenedOutput(log, request.path, opened.refusal);
            return nullptr;
        }
        return std::make_unique<inPlaceOutput>(log, std::move(opened),
                                               outputPlace{request.in.identity(), request.name},
                                               buffer, scratch);
    }

private:
    runLog& log;
    std::vector<char> buffer;
    std::vector<char> scratch;
};

}  // namespace

std::unique_ptr<outputMode> inPlaceOutputs(runLog& log) {
    return std::make_unique<inPlaceMode>(log);
}
