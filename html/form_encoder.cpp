#include "html/form_encoder.h"

#include <iconv.h>

#include <array>

#include "core/address.h"
#include "platform/ascii.h"
#include "platform/utf8.h"

namespace corvane::html {
namespace {

void AppendReference(std::string& out, char32_t c) {
    out += "&#";
    out += std::to_string(static_cast<std::uint32_t>(c));
    out += ';';
}

// Windows-1252 stands for ISO-8859-1 too (the decoder reads both alike).
std::string ToWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        const char32_t c = DecodeUtf8(utf8.substr(i), &length);
        i += length;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        bool found = false;
        for (int byte = 0x80; byte < 0xA0 && !found; ++byte) {
            if (Windows1252ToUnicode(static_cast<unsigned char>(byte)) == c) {
                out += static_cast<char>(byte);
                found = true;
            }
        }
        if (!found) AppendReference(out, c);
    }
    return out;
}

// Character by character, so one the set lacks becomes a reference and the rest still goes.
std::string ToIconv(std::string_view utf8, iconv_t converter) {
    std::string out;
    out.reserve(utf8.size());
    std::array<char, 16> buffer{};
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        const char32_t c = DecodeUtf8(utf8.substr(i), &length);
        char character[4];
        const std::size_t characterLength = EncodeUtf8(c, character);
        char* in = character;
        std::size_t inLeft = characterLength;
        char* outPointer = buffer.data();
        std::size_t outLeft = buffer.size();
        if (iconv(converter, &in, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1)) {
            AppendReference(out, c);
        } else {
            // Stateful sets (ISO-2022) end each character back in their initial state.
            iconv(converter, nullptr, nullptr, &outPointer, &outLeft);
            out.append(buffer.data(), buffer.size() - outLeft);
        }
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        i += length;
    }
    return out;
}

bool IsUtf8Name(std::string_view charset) {
    return charset.empty() || EqualsIgnoreCase(charset, "UTF-8") ||
           EqualsIgnoreCase(charset, "UTF8");
}

bool IsWindows1252Name(std::string_view charset) {
    for (const std::string_view name :
         {"windows-1252", "ISO-8859-1", "ISO8859-1", "latin1", "US-ASCII", "cp1252"}) {
        if (EqualsIgnoreCase(charset, name)) return true;
    }
    return false;
}

std::string Encoded(std::string_view utf8, std::string_view charset) {
    std::string bytes = ToCharset(utf8, charset);
    core::EscapeUrlText(bytes);
    return bytes;
}

// The text of a TEXTAREA goes with CR LF line ends, as every browser sends it.
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

std::string ToCharset(std::string_view utf8, std::string_view charset) {
    if (IsUtf8Name(charset)) return std::string(utf8);
    if (IsWindows1252Name(charset)) return ToWindows1252(utf8);
    const std::string name(charset);
    iconv_t converter = iconv_open(name.c_str(), "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
    std::string out = ToIconv(utf8, converter);
    iconv_close(converter);
    return out;
}

CFormEncoder::CFormEncoder(const CHTMLForm& form, std::string_view charset, Submitter submitter)
    : charset_(charset) {
    for (const CHTMLControl* control : form.controls) {
        const std::string& name = control->name;
        switch (control->type) {
            case kControlImage:
                if (control != submitter.button) break;
                // Unnamed, the point goes as plain "x" and "y".
                Add(name.empty() ? "x" : name + ".x", std::to_string(submitter.x));
                Add(name.empty() ? "y" : name + ".y", std::to_string(submitter.y));
                break;
            case kControlSubmit:
                if (control == submitter.button && !name.empty())
                    Add(name, control->value.value_or(std::string()));
                break;
            case kControlReset:
                break;
            case kControlCheckBox:
            case kControlRadio:
                if (control->checked && !name.empty())
                    Add(name, control->value.value_or(std::string()));
                break;
            case kControlHidden:
                if (!name.empty()) Add(name, control->value.value_or(std::string()));
                break;
            case kControlText:
            case kControlPassword:
                if (!name.empty()) Add(name, control->text);
                break;
            case kControlTextArea:
                if (!name.empty()) Add(name, WithCrLf(control->text));
                break;
            case kControlList:
            case kControlDropDown:
                if (name.empty()) break;
                for (const COption& option : control->options) {
                    if (option.selected) Add(name, option.value ? *option.value : option.text);
                }
                break;
            default:
                break;
        }
    }
}

void CFormEncoder::Add(std::string_view name, std::string_view value) {
    pairs_.push_back(Encoded(name, charset_) + '=' + Encoded(value, charset_));
}

bool CFormEncoder::Next(std::string& target) {
    if (next_ >= pairs_.size()) return false;
    if (!target.empty() && target.back() != '?' && target.back() != '\n') target += '&';
    target += pairs_[next_++];
    return true;
}

FormSubmission SubmitForm(const CHTMLForm& form, std::string_view charset, std::string_view base,
                          Submitter submitter) {
    const core::CHTAddress baseAddress = core::ParseAddress(base);
    // No ACTION sends the form back where it came from.
    core::CHTAddress action =
        form.action.empty() ? baseAddress : core::ParseAddress(form.action, &baseAddress);
    action.anchor.clear();
    CFormEncoder encoder(form, charset, submitter);
    FormSubmission submission;
    if (form.method == kFormPost && !form.indexForm) {
        submission.url = core::FormatAddress(action);
        submission.method = SubmitMethod::kPost;
        submission.contentType = CFormEncoder::kContentType;
        while (encoder.Next(submission.body)) {
        }
        return submission;
    }
    // The form's pairs replace any query the action has.
    if (const std::size_t query = action.path.find('?'); query != std::string::npos)
        action.path.erase(query);
    submission.url = core::FormatAddress(action) + '?';
    if (form.indexForm) {
        // The keywords alone, without the field's name.
        std::string pair;
        if (encoder.Next(pair)) submission.url += pair.substr(pair.find('=') + 1);
        return submission;
    }
    while (encoder.Next(submission.url)) {
    }
    return submission;
}

}  // namespace corvane::html
