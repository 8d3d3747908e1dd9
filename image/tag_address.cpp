#include "image/tag_address.h"

namespace kelnf {
namespace {

constexpr int kWorkBytes = 8;

// Only the first eight characters count. Bytes from 'a' to DEL move down by 0x20 (so letters
// become capitals); the rest of the buffer is filled with spaces.
void Normalise(const char *text, unsigned char (&work)[kWorkBytes]) {
    int length = 0;
    for (; length < kWorkBytes && text[length] != '\0'; ++length) {
        const auto byte = static_cast<unsigned char>(text[length]);
        work[length] = (byte >= 0x61 && byte <= 0x7F) ? static_cast<unsigned char>(byte - 0x20) : byte;
    }
    for (; length < kWorkBytes; ++length)
        work[length] = ' ';
}

bool IsDigit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

bool IsRegisterOrCommandLetter(unsigned char byte) {
    return byte == 'G' || byte == 'A' || byte == 'R' || byte == 'S' || byte == 'C';
}

bool TailIsBlank(const unsigned char (&work)[kWorkBytes], int from) {
    for (int position = from; position < kWorkBytes; ++position) {
        if (work[position] != ' ')
            return false;
    }
    return true;
}

// "!" and a letter.
bool IsLetterForm(const unsigned char (&work)[kWorkBytes]) {
    return work[0] == '!' && IsRegisterOrCommandLetter(work[1]) && TailIsBlank(work, 2);
}

// Three digits, or "T" and two digits.
bool IsNumberForm(const unsigned char (&work)[kWorkBytes]) {
    return (IsDigit(work[0]) || work[0] == 'T') && IsDigit(work[1]) && IsDigit(work[2]) &&
           TailIsBlank(work, 3);
}

int32_t Digits(const unsigned char *digits, int count) {
    int32_t value = 0;
    for (int position = 0; position < count; ++position)
        value = value * 10 + (digits[position] - '0');
    return value;
}

} // namespace

int32_t ParseAddress(TagAddress &address) {
    if (address.text == nullptr)
        return KEL_RESULT_REFUSED;
    unsigned char work[kWorkBytes];
    Normalise(address.text, work);
    const bool letterForm = IsLetterForm(work);
    if (!letterForm && !IsNumberForm(work))
        return KEL_RESULT_REFUSED;

    address.valueBits = 16;
    address.status = 0;
    address.maxValue = 255;
    if (letterForm) {
        address.type = work[1];
        address.index = 0;
    } else if (work[0] == 'T') {
        address.type = KEL_TAG_TROUBLE;
        address.index = Digits(work + 1, 2);
    } else {
        address.type = KEL_TAG_POINT;
        address.index = Digits(work, 3);
    }
    return KEL_RESULT_DONE;
}

int32_t CheckTagAddress(const DriverRequest &request) {
    return ParseAddress(*static_cast<TagAddress *>(request.args));
}

} // namespace kelnf
