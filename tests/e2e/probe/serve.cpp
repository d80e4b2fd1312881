// serve <port>: the probe as a server for the scenarios. Each call of a
// one-shot probe starts a Wine process, a few tenths of a second, and the
// scenarios make hundreds of them; one server answers them all over a
// connection to 127.0.0.1:<port>, which the caller listens on.
//
// A request is one line of words separated by spaces, each word an "x"
// followed by its UTF-8 bytes in hex (so that empty words and any character
// travel). The answer is a line "<exit code> <byte count>" and then the bytes
// the command printed. The end of the connection ends the server.
//
// Every request runs as one command line of the one-shot probe would: the
// clipboard's owner window and every handle live only as long as the command.
#include <winsock2.h>

#include "probe.h"

#include <cstdio>
#include <string>

namespace probe {

namespace {

// A word as the one-shot probe would get it on its command line.
std::wstring DecodeWord(const std::string& word) {
    if (word.empty() || word[0] != 'x') fail(2, "serve: a word must start with x");
    return FromUtf8(FromHex(std::wstring(word.begin() + 1, word.end())));
}

bool SendAll(SOCKET s, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        int n = send(s, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// The next line without its end; false when the connection ended.
bool ReadLine(SOCKET s, std::string& pending, std::string& line) {
    for (;;) {
        size_t end = pending.find('\n');
        if (end != std::string::npos) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            return true;
        }
        char buf[4096];
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) return false;
        pending.append(buf, static_cast<size_t>(n));
    }
}

int Answer(const std::string& request, std::string& output) {
    std::vector<std::wstring> words{L"probe"};
    try {
        size_t start = 0;
        for (;;) {
            size_t space = request.find(' ', start);
            words.push_back(DecodeWord(request.substr(start, space - start)));
            if (space == std::string::npos) break;
            start = space + 1;
        }
    } catch (const Failure& f) {
        output = Json().str("error", FromUtf8(f.message)).text() + "\n";
        return f.code;
    }
    CapturedOutput captured;
    int code = RunCommand(std::move(words));
    output = captured.text();
    return code;
}

}  // namespace

int Serve(const Args& args) {
    if (args.size() < 3) {
        std::fputs("usage: probe serve <port>\n", stderr);
        return 2;
    }
    int port = 0;
    try {
        port = ParseInt(args[2], "port");
    } catch (const Failure& f) {
        std::fprintf(stderr, "probe: %s\n", f.message.c_str());
        return 2;
    }
    WSADATA wsa{};
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        std::fputs("probe: WSAStartup failed\n", stderr);
        return 4;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s == INVALID_SOCKET || connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "probe: cannot connect to 127.0.0.1:%d (error %d)\n", port, WSAGetLastError());
        if (s != INVALID_SOCKET) closesocket(s);
        WSACleanup();
        return 4;
    }
    std::string pending, request;
    while (ReadLine(s, pending, request) && !request.empty()) {
        std::string output;
        int code = Answer(request, output);
        if (!SendAll(s, std::to_string(code) + " " + std::to_string(output.size()) + "\n" + output)) break;
    }
    closesocket(s);
    WSACleanup();
    return 0;
}

}  // namespace probe
