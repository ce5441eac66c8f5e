#pragma once
// Which images of an album folder belong to a sequence, so the album can hide them behind it:
// full paths compared case-insensitively (ASCII letters; both sides lower-cased).

#include "recorder/sequence/SequenceReader.h"

#include <string>
#include <string_view>
#include <unordered_set>

class SequenceMembership {
public:
    // Adds the entries read from one sequence; a sequence of 0 frames owns nothing.
    void add(const SequenceContents& sequence);
    bool contains(std::string_view imagePath) const;
    bool empty() const { return m_paths.empty(); }

private:
    std::unordered_set<std::string> m_paths; // lower-cased full paths
};

bool isSequenceMember(const SequenceContents& sequence, std::string_view imagePath);
std::string lowerCasePath(std::string_view path);
