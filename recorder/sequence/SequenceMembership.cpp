#include "recorder/sequence/SequenceMembership.h"

std::string lowerCasePath(std::string_view path)
{
    std::string lower(path);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

void SequenceMembership::add(const SequenceContents& sequence)
{
    for (const std::string& path : sequence.framePaths)
        m_paths.insert(lowerCasePath(path));
}

bool SequenceMembership::contains(std::string_view imagePath) const
{
    return m_paths.count(lowerCasePath(imagePath)) != 0;
}

bool isSequenceMember(const SequenceContents& sequence, std::string_view imagePath)
{
    const std::string wanted = lowerCasePath(imagePath);
    for (const std::string& path : sequence.framePaths) {
        if (lowerCasePath(path) == wanted)
            return true;
    }
    return false;
}
