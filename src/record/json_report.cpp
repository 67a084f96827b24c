#include "record/json_report.h"

#include <nlohmann/json.hpp>

namespace jsonReport {

namespace {

using json = nlohmann::ordered_json;

// The length of the valid UTF-8 sequence at text[at], or 0.
std::size_t sequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xe  ? 3
                         : (lead >> 3) == 0x1e ? 4
                                               : 0;
    if (length == 0 || at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xc0) != 0x80) {
            return 0;
        }
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    const unsigned second = byte(at + (length > 1 ? 1 : 0));
    const bool overlong = (length == 2 && lead < 0xc2) ||
                          (length == 3 && lead == 0xe0 && second < 0xa0) ||
                          (length == 4 && lead == 0xf0 && second < 0x90);
    const bool surrogate = length == 3 && lead == 0xed && second >= 0xa0;
    const bool tooLarge = length == 4 && (lead > 0xf4 || (lead == 0xf4 && second >= 0x90));
    return overlong || surrogate || tooLarge ? 0 : length;
}

std::string base64(const std::string& bytes) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            group = (group << 8) | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        }
        for (std::size_t i = 0; i < 4; ++i) {
            text.push_back(i <= count ? digits[(group >> (18 - 6 * i)) & 63] : '=');
        }
    }
    return text;
}

// Sets object[name] to the text, keeping bytes that are not UTF-8.
void putText(json& object, const std::string& name, const std::string& text) {
    std::string shown;
    bool valid = true;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = sequenceAt(text, at);
        if (length == 0) {
            shown += "\xef\xbf\xbd";
            valid = false;
            ++at;
        } else {
            shown.append(text, at, length);
            at += length;
        }
    }
    object[name] = shown;
    if (!valid) {
        object[name + "Base64"] = base64(text);
    }
}

void putPlace(json& object, const messagePlace& place) {
    if (!place.file.empty()) {
        putText(object, "file", place.file);
    }
    if (place.line != 0) {
        object["line"] = place.line;
    }
}

json messagesOf(const std::vector<runLog::loggedMessage>& messages) {
    json list = json::array();
    for (const auto& message : messages) {
        json entry = json::object();
        putText(entry, "text", message.text);
        putPlace(entry, message.place);
        list.push_back(std::move(entry));
    }
    return list;
}

}  // namespace

std::string of(const runLog& log, int exitStatus) {
    json report = json::object();
    report["format"] = formatVersion;
    report["exitStatus"] = exitStatus;
    json templates = json::array();
    for (const auto& record : log.templates()) {
        json entry = json::object();
        putText(entry, "template", record.templatePath);
        putText(entry, "output", record.output);
        entry["verdict"] = verdictWord(record.verdict.value_or(outputVerdict::failed));
        entry["messages"] = messagesOf(record.messages);
        if (!record.diff.empty()) {
            putText(entry, "diff", record.diff);
        }
        templates.push_back(std::move(entry));
    }
    report["templates"] = std::move(templates);
    report["messages"] = messagesOf(log.otherMessages());
    if (!log.table().empty()) {
        json table = json::array();
        for (const auto& row : log.table()) {
            json entry = json::object();
            putText(entry, "keyword", row.keyword);
            putText(entry, "value", row.value);
            putText(entry, "source", row.source);
            putPlace(entry, row.place);
            table.push_back(std::move(entry));
        }
        report["table"] = std::move(table);
    }
    return report.dump(2) + "\n";
}

}  // namespace jsonReport
