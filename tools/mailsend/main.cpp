// SPDX-License-Identifier: GPL-3.0-or-later
// korvalis-mailsend: sends one e-mail over SMTP and says by its exit status whether it
// went out (0) or not (1; 2 for a command line it cannot use), with a one-line reason on
// standard error.
//
//   korvalis-mailsend [-v] [-starttls] [+cc] [+bc] [-q] -f SENDER -smtp SERVER [-port N]
//                     -t RCPT[,RCPT...] [-sub SUBJECT] [-M TEXT] [-attach FILE]
//                     [-auth -user NAME (-pass PASSWORD | -pass-stdin)]
//                     [-cafile CERT] [-timeout SECONDS]
//
// The message body is TEXT followed by the contents of FILE. Options it does not know are
// ignored. -starttls uses STARTTLS when the server offers it; with -auth, TLS is required,
// so a password never crosses the network in clear. -pass-stdin reads the password from the
// first line of standard input, keeping it out of the process list. -cafile trusts the
// given certificate (a test server's self-signed one, say) in addition to none other.
#include <curl/curl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CMailMessage.h"

namespace {

constexpr size_t kMaxBodyBytes = 8 * 1024 * 1024;

struct Options {
    std::string from, server, recipients, subject, text, attach, user, password, caFile;
    long port = 25;
    long timeoutSeconds = 50;
    bool startTls = false;
    bool auth = false;
    bool passwordFromStdin = false;
    bool help = false;
    bool version = false;
};

const char* const kUsage =
    "usage: korvalis-mailsend [-starttls] -f SENDER -smtp SERVER [-port N] -t RCPT[,RCPT...]\n"
    "                         [-sub SUBJECT] [-M TEXT] [-attach FILE]\n"
    "                         [-auth -user NAME (-pass PASSWORD | -pass-stdin)]\n"
    "                         [-cafile CERT] [-timeout SECONDS]\n"
    "Sends one e-mail over SMTP: the text TEXT followed by the contents of FILE.\n\n"
    "  -starttls    use STARTTLS when the server offers it (-auth requires TLS)\n"
    "  -pass-stdin  read the password from the first line of standard input\n"
    "  -cafile      also trust this certificate\n"
    "  --help, --version\n"
    "Options of other mail programs (-v, -q, +cc, +bc) are ignored.\n\n"
    "exit status: 0 sent, 1 not sent (the reason on standard error), 2 unusable command line.\n";

int Fail(int status, const std::string& reason)
{
    std::cerr << "korvalis-mailsend: " << reason << std::endl;
    return status;
}

// Value options take the next argument whatever it looks like ("-M" "" is an empty text).
bool ParseArguments(int argc, char** argv, Options& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& dst) -> bool {
            if (i + 1 >= argc) {
                error = "option " + a + " needs a value";
                return false;
            }
            dst = argv[++i];
            return true;
        };
        std::string number;
        if (a == "-f") {
            if (!value(o.from))
                return false;
        } else if (a == "-smtp") {
            if (!value(o.server))
                return false;
        } else if (a == "-port" || a == "-timeout") {
            if (!value(number))
                return false;
            char* end = nullptr;
            const long n = std::strtol(number.c_str(), &end, 10);
            if (number.empty() || *end != '\0' || n < 1 || n > 65535) {
                error = "option " + a + " needs a number from 1 to 65535";
                return false;
            }
            (a == "-port" ? o.port : o.timeoutSeconds) = n;
        } else if (a == "-t") {
            if (!value(o.recipients))
                return false;
        } else if (a == "-sub") {
            if (!value(o.subject))
                return false;
        } else if (a == "-M") {
            if (!value(o.text))
                return false;
        } else if (a == "-attach") {
            if (!value(o.attach))
                return false;
        } else if (a == "-user") {
            if (!value(o.user))
                return false;
        } else if (a == "-pass") {
            if (!value(o.password))
                return false;
        } else if (a == "-cafile") {
            if (!value(o.caFile))
                return false;
        } else if (a == "-auth") {
            o.auth = true;
        } else if (a == "-pass-stdin") {
            o.passwordFromStdin = true;
        } else if (a == "-starttls") {
            o.startTls = true;
        } else if (a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        }
        // Anything else (-v, -q, +cc, +bc, options of other mail programs) is ignored.
    }
    return true;
}

std::vector<std::string> SplitRecipients(const std::string& text)
{
    std::vector<std::string> out;
    std::string current;
    for (char c : text) {
        if (c == ',' || c == ';') {
            if (!current.empty())
                out.push_back(current);
            current.clear();
        } else if (c != ' ') {
            current += c;
        }
    }
    if (!current.empty())
        out.push_back(current);
    return out;
}

bool LooksLikeServer(const std::string& s)
{
    if (s.empty() || s.size() > 253)
        return false;
    if (s.front() == '[')
        return s.back() == ']' && s.find_first_not_of("0123456789abcdefABCDEF:.", 1) == s.size() - 1;
    if (s.front() == '-' || s.front() == '.')
        return false;
    return s.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_") ==
           std::string::npos;
}

struct Upload {
    const std::string* data;
    size_t offset = 0;
};

size_t ReadPayload(char* buffer, size_t size, size_t count, void* user)
{
    auto* up = static_cast<Upload*>(user);
    const size_t room = size * count;
    const size_t left = up->data->size() - up->offset;
    const size_t n = left < room ? left : room;
    std::memcpy(buffer, up->data->data() + up->offset, n);
    up->offset += n;
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    std::string error;
    if (!ParseArguments(argc, argv, o, error))
        return Fail(2, error);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (o.version) {
        std::fputs("korvalis-mailsend " KORVALIS_VERSION "\n"
                   "Licence GPL-3.0-or-later: this is free software; there is NO WARRANTY.\n", stdout);
        return 0;
    }
    if (!CMailMessage::LooksLikeAddress(o.from))
        return Fail(2, "the sender \"" + o.from + "\" is not an e-mail address");
    if (!LooksLikeServer(o.server))
        return Fail(2, o.server.empty() ? "no SMTP server given (-smtp)" : "the SMTP server name is not valid");
    const std::vector<std::string> recipients = SplitRecipients(o.recipients);
    if (recipients.empty())
        return Fail(2, "no recipient given (-t)");
    for (const std::string& r : recipients)
        if (!CMailMessage::LooksLikeAddress(r))
            return Fail(2, "\"" + r + "\" is not an e-mail address");
    if (!CMailMessage::IsSafeField(o.subject))
        return Fail(2, "the subject contains line breaks or control characters");
    if (o.auth && o.passwordFromStdin) {
        std::getline(std::cin, o.password);
        if (!o.password.empty() && o.password.back() == '\r')
            o.password.pop_back();
    }
    if (o.auth && (!CMailMessage::IsSafeField(o.user) || !CMailMessage::IsSafeField(o.password)))
        return Fail(2, "the user name or password contains line breaks or control characters");

    // A directory reads as empty and a FIFO blocks: neither is a message file.
    struct stat st {};
    if (!o.attach.empty() && ::stat(o.attach.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return Fail(2, "the message file " + o.attach + " is not a regular file");

    CMailMessage message;
    message.from = o.from;
    message.to = recipients;
    message.subject = o.subject;
    message.body = o.text;
    if (!o.attach.empty()) {
        std::ifstream in(o.attach, std::ios::binary);
        if (!in)
            return Fail(1, "cannot read the message file " + o.attach);
        std::string content;
        content.resize(kMaxBodyBytes + 1);
        in.read(content.data(), static_cast<std::streamsize>(content.size()));
        content.resize(static_cast<size_t>(in.gcount()));
        if (content.size() > kMaxBodyBytes)
            return Fail(1, "the message file is larger than 8 MiB");
        if (!message.body.empty())
            message.body += "\r\n";
        message.body += content;
    }
    const size_t at = o.from.find('@');
    const std::string payload = message.Compose(std::time(nullptr), o.from.substr(at + 1));

    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return Fail(1, "cannot initialise the mail library");
    CURL* curl = curl_easy_init();
    if (!curl)
        return Fail(1, "cannot initialise the mail library");
    // Port 465 speaks TLS from the first byte; every other port starts plain.
    const std::string url =
        std::string(o.port == 465 ? "smtps://" : "smtp://") + o.server + ":" + std::to_string(o.port);
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    curl_slist* rcpt = nullptr;
    for (const std::string& r : recipients)
        rcpt = curl_slist_append(rcpt, ("<" + r + ">").c_str());
    Upload upload{&payload};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, ("<" + o.from + ">").c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadPayload);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, o.timeoutSeconds < 20 ? o.timeoutSeconds : 20L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, o.timeoutSeconds);
    if (o.auth) {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
        curl_easy_setopt(curl, CURLOPT_USERNAME, o.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, o.password.c_str());
    } else if (o.startTls) {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    }
    if (!o.caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, o.caFile.c_str());

    const CURLcode result = curl_easy_perform(curl);
    long response = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response);
    curl_slist_free_all(rcpt);
    curl_easy_cleanup(curl);
    curl_global_cleanup();
    if (result != CURLE_OK) {
        std::string reason = errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
            reason.pop_back();
        if (result == CURLE_USE_SSL_FAILED && o.auth)
            reason = "the server " + o.server + " offers no STARTTLS; the password is not sent unencrypted";
        else if (response >= 400)
            reason += " (server answered " + std::to_string(response) + ")";
        return Fail(1, reason);
    }
    return 0;
}
