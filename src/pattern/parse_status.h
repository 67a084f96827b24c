#pragma once

enum parseStatus {
    parseOk = 0,
    parseOutOfMemory = 1,
    parseUnclosedBrace = 2,
    parseUnclosedParen = 3,
    parseUnclosedBracket = 4,
    parseBadAbbreviation = 5,
    parseEmptyClass = 6,
    parseBadBackReference = 7,
    parseBadRange = 8,
    parseEmptyRepeat = 9,
    parseNoPattern = 10,
};
