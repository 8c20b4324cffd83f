#pragma once
// Reads an ".emlx" file the way Apple Mail does: the count line, exactly that
// many bytes as the message, and the rest as a property list (libxml2).
// Strict on purpose: anything Mail would not read is an error.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct PlistEntry {
    std::string key;
    std::string type;   // element name of the value: "real", "integer", "string", ...
    std::string value;  // its text, entities decoded, UTF-8
};

struct PropertyList {
    std::string error;  // empty when the text is a well-formed property list of one flat dict
    std::vector<PlistEntry> entries;

    const PlistEntry* Find(const std::string& key) const {
        for (const PlistEntry& e : entries)
            if (e.key == key) return &e;
        return nullptr;
    }
    std::vector<std::string> Keys() const {
        std::vector<std::string> keys;
        for (const PlistEntry& e : entries) keys.push_back(e.key);
        return keys;
    }
};

struct EmlxFile {
    std::string error;    // empty when the file reads as Apple Mail reads it
    uint64_t count = 0;   // the number on the count line
    std::string message;  // exactly `count` bytes after the count line
    std::string trailer;  // everything after the message
    PropertyList plist;

    std::optional<int64_t> dateSent;  // absent when the file has no date-sent key
    int64_t flags = 0;
    std::string sender, subject, to;
};

namespace emlx_reader {

inline std::string Text(xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

inline bool IsElement(xmlNode* node, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, BAD_CAST name) == 0;
}

// Skips the white space between the elements of the dict.
inline xmlNode* NextNonBlank(xmlNode* node) {
    while (node && (node->type == XML_COMMENT_NODE || (node->type == XML_TEXT_NODE && xmlIsBlankNode(node))))
        node = node->next;
    return node;
}

inline bool ParseInteger(const std::string& text, int64_t& out) {
    if (text.empty()) return false;
    size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    try {
        out = std::stoll(text);
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace emlx_reader

// A property list whose root dict holds key/value pairs with simple values.
inline PropertyList ParsePropertyList(const std::string& xml) {
    using namespace emlx_reader;
    PropertyList plist;
    xmlDoc* doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "trailer.plist", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        plist.error = std::string("not well-formed XML: ") + (e && e->message ? e->message : "?");
        return plist;
    }
    xmlNode* root = xmlDocGetRootElement(doc);
    xmlChar* version = root ? xmlGetProp(root, BAD_CAST "version") : nullptr;
    const bool versionOk = version && xmlStrcmp(version, BAD_CAST "1.0") == 0;
    xmlFree(version);
    xmlNode* dict = root ? xmlFirstElementChild(root) : nullptr;
    if (!IsElement(root, "plist") || !versionOk) {
        plist.error = "root is not <plist version=\"1.0\">";
    } else if (!IsElement(dict, "dict") || xmlNextElementSibling(dict)) {
        plist.error = "plist does not hold exactly one <dict>";
    } else {
        for (xmlNode* n = NextNonBlank(dict->children); n && plist.error.empty(); n = NextNonBlank(n->next)) {
            if (n->type != XML_ELEMENT_NODE) {
                plist.error = "dict holds something other than elements";
            } else if (!IsElement(n, "key")) {
                plist.error = "dict: expected <key>, found <" + std::string(reinterpret_cast<const char*>(n->name)) + ">";
            } else {
                xmlNode* value = NextNonBlank(n->next);
                if (!value || value->type != XML_ELEMENT_NODE || IsElement(value, "key")) {
                    plist.error = "key " + Text(n) + " has no value";
                } else {
                    plist.entries.push_back({Text(n), reinterpret_cast<const char*>(value->name), Text(value)});
                    n = value;
                }
            }
        }
    }
    xmlFreeDoc(doc);
    return plist;
}

// The fields of an ".emlx" file held in memory.
inline EmlxFile ParseEmlx(const std::string& bytes) {
    using namespace emlx_reader;
    EmlxFile file;
    const size_t lf = bytes.find('\n');
    const std::string countLine = bytes.substr(0, lf);
    if (lf == std::string::npos || countLine.empty() || countLine.size() > 19 ||
        countLine.find_first_not_of("0123456789") != std::string::npos || (countLine.size() > 1 && countLine[0] == '0')) {
        file.error = "bad count line \"" + countLine.substr(0, 40) + "\"";
        return file;
    }
    file.count = std::stoull(countLine);
    if (file.count > bytes.size() - lf - 1) {
        file.error = "count " + countLine + " runs past the end of the file";
        return file;
    }
    file.message = bytes.substr(lf + 1, file.count);
    file.trailer = bytes.substr(lf + 1 + file.count);
    file.plist = ParsePropertyList(file.trailer);
    if (!file.plist.error.empty()) {
        file.error = "trailer: " + file.plist.error;
        return file;
    }
    auto typed = [&](const char* key, const char* type, bool required) -> const PlistEntry* {
        const PlistEntry* e = file.plist.Find(key);
        if (!e && required && file.error.empty()) file.error = std::string("no ") + key + " key";
        if (e && e->type != type && file.error.empty()) file.error = std::string(key) + " is a <" + e->type + ">";
        return file.error.empty() ? e : nullptr;
    };
    if (const PlistEntry* e = typed("date-sent", "real", false)) {
        int64_t v;
        if (!ParseInteger(e->value, v)) file.error = "date-sent \"" + e->value + "\" is not a number";
        else file.dateSent = v;
    }
    if (const PlistEntry* e = typed("flags", "integer", true))
        if (!ParseInteger(e->value, file.flags)) file.error = "flags \"" + e->value + "\" is not a number";
    if (const PlistEntry* e = typed("sender", "string", true)) file.sender = e->value;
    if (const PlistEntry* e = typed("subject", "string", true)) file.subject = e->value;
    if (const PlistEntry* e = typed("to", "string", true)) file.to = e->value;
    return file;
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline EmlxFile ReadEmlx(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) {
        EmlxFile file;
        file.error = path.string() + " is not a regular file";
        return file;
    }
    return ParseEmlx(ReadFileBytes(path));
}
