// The native messaging host's messages: how the input is cut into messages, and what each
// message is answered.

#include "messaging/HostArguments.h"
#include "messaging/MessageService.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace quillery::messaging {
namespace {

using nlohmann::json;

// Hands out the input in the given pieces, each in as many reads as the reader's buffer takes;
// then the end. Records the size of every read asked for.
class ScriptedInput final : public ByteSource {
public:
    explicit ScriptedInput(std::vector<std::string> pieces)
        : pieces_(pieces.begin(), pieces.end()) {}

    std::size_t Read(std::span<char> buffer) override {
        asked.push_back(buffer.size());
        while (!pieces_.empty() && pieces_.front().empty()) {
            pieces_.pop_front();
        }
        if (pieces_.empty()) {
            return 0;
        }
        std::string& piece = pieces_.front();
        const std::size_t count = std::min(piece.size(), buffer.size());
        std::memcpy(buffer.data(), piece.data(), count);
        piece.erase(0, count);
        return count;
    }

    std::vector<std::size_t> asked;

private:
    std::deque<std::string> pieces_;
};

class RecordingOutput final : public ByteSink {
public:
    bool Write(std::string_view bytes) override {
        if (refuse) {
            return false;
        }
        writes.emplace_back(bytes);
        return true;
    }

    bool refuse = false;
    std::vector<std::string> writes;
};

// Answers every menu with the same outcome; or, with `inputEnds`, has the input end while the
// menu is open.
class FixedMenu final : public MenuService {
public:
    explicit FixedMenu(MenuOutcome outcome) : outcome_(std::move(outcome)) {}
    std::optional<MenuOutcome> ShowMenu(std::optional<ScreenPoint> at) override {
        ++shown;
        shownAt = at;
        return inputEnds ? std::nullopt : std::optional(outcome_);
    }
    void CloseMenu() override { ++closed; }
    bool inputEnds = false;
    int shown = 0;
    int closed = 0;
    std::optional<ScreenPoint> shownAt;

private:
    MenuOutcome outcome_;
};

// Hands out the given messages and quiet spells in order, then the end; records the limit of
// each wait.
class ScriptedQueue final : public IncomingMessages {
public:
    explicit ScriptedQueue(std::vector<Incoming> script) : script_(script.begin(), script.end()) {}
    Incoming Next(std::chrono::milliseconds limit) override {
        limits.push_back(limit);
        if (script_.empty()) {
            return EndOfInput{};
        }
        Incoming next = std::move(script_.front());
        script_.pop_front();
        return next;
    }
    std::vector<std::chrono::milliseconds> limits;

private:
    std::deque<Incoming> script_;
};

std::string MessageOf(const Incoming& incoming) {
    const auto* message = std::get_if<Message>(&incoming);
    return message ? message->json : "(no message)";
}

bool IsEnd(const Incoming& incoming) {
    return std::holds_alternative<EndOfInput>(incoming);
}

TEST(MessageReaderTest, MessageSplitAnywhereAcrossReadsIsReadWhole) {
    const std::string body = R"({"request": "menu"})";
    const std::string stream = Framed(body);
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        ScriptedInput input({stream.substr(0, cut), stream.substr(cut)});
        MessageReader reader(input);
        EXPECT_EQ(MessageOf(reader.Next()), body);
        EXPECT_TRUE(IsEnd(reader.Next()));
    }
    std::vector<std::string> bytes;
    for (char ch : stream) {
        bytes.emplace_back(1, ch);
    }
    ScriptedInput byteByByte(bytes);
    MessageReader reader(byteByByte);
    EXPECT_EQ(MessageOf(reader.Next()), body);
}

TEST(MessageReaderTest, SeveralMessagesInOneReadComeOutInOrderAndACutOneEndsTheInput) {
    // The second message's length, 300, needs both low bytes: little-endian, 0x2C 0x01.
    const std::string second(300, 'x');
    const std::string third = Framed("{\"request\": \"menu\"}");
    ScriptedInput input({Framed("{}") + Framed(second) + Framed("") + third.substr(0, 7)});
    MessageReader reader(input);
    EXPECT_EQ(MessageOf(reader.Next()), "{}");
    EXPECT_EQ(MessageOf(reader.Next()), second);
    EXPECT_EQ(MessageOf(reader.Next()), "");
    EXPECT_TRUE(IsEnd(reader.Next())) << "the input ended inside a message";

    ScriptedInput insideTheLength({std::string("\x05\x00", 2)});
    EXPECT_TRUE(IsEnd(MessageReader(insideTheLength).Next()));
    EXPECT_EQ(Framed(second).substr(0, 4), std::string("\x2C\x01\x00\x00", 4));
}

TEST(MessageReaderTest, OversizedMessageIsDroppedAndTheNextOneStillFound) {
    const std::string oversized(kMaxMessageBytes + 1, 'a');
    const std::string largest(kMaxMessageBytes, 'b');
    // All of it in one piece: the reader may ask for as much as it likes, and must not take the
    // next message's bytes while dropping the oversized one.
    ScriptedInput input({Framed(oversized) + Framed("{}") + Framed(largest)});
    MessageReader reader(input);
    const Incoming first = reader.Next();
    ASSERT_TRUE(std::holds_alternative<OversizedMessage>(first));
    EXPECT_EQ(std::get<OversizedMessage>(first).length, kMaxMessageBytes + 1);
    EXPECT_EQ(MessageOf(reader.Next()), "{}");
    EXPECT_EQ(MessageOf(reader.Next()), largest) << "exactly the limit is taken";
    EXPECT_TRUE(IsEnd(reader.Next()));

    // A length of nearly 4 GB that the input never delivers: nothing is held meanwhile, and
    // the end comes as the end.
    ScriptedInput cut({std::string("\xF0\xFF\xFF\xFF", 4) + std::string(200000, 'c')});
    MessageReader cutReader(cut);
    EXPECT_TRUE(IsEnd(cutReader.Next()));
    EXPECT_LE(*std::max_element(cut.asked.begin(), cut.asked.end()), 64u * 1024);
}

class MessageServiceTest : public ::testing::Test {
protected:
    json Answer(std::string_view message) { return json::parse(AnswerTo(message, menu).value()); }

    FixedMenu menu{MenuText{"Grüße, \"quoted\"\r\nsecond line"}};
};

TEST_F(MessageServiceTest, MenuRequestAnswersTheChosenTextOrWhyThereIsNone) {
    const json chosen{{"text", "Grüße, \"quoted\"\r\nsecond line"}};
    EXPECT_EQ(Answer(R"({"request": "menu"})"), chosen);
    EXPECT_EQ(Answer(R"({"id": 7, "request": "menu"})"), chosen) << "other names are ignored";
    EXPECT_EQ(menu.shown, 2);
    FixedMenu nothingChosen{MenuText{""}};
    EXPECT_EQ(AnswerTo(R"({"request":"menu"})", nothingChosen), R"({"text":""})");
    FixedMenu failing{MenuError{"Pennock.DoBiz is not registered"}};
    EXPECT_EQ(json::parse(AnswerTo(R"({"request":"menu"})", failing).value()),
              (json{{"error", "Pennock.DoBiz is not registered"}}));
}

// A coordinate is taken as sent; one beyond what JSON carries exactly stays on its own side,
// never wrapped (2^64 - 2048 as an int64 would be -2048).
TEST_F(MessageServiceTest, MenuOpensAtTheRequestsPointOrElseAtThePointer) {
    Answer(R"({"request": "menu"})");
    EXPECT_FALSE(menu.shownAt);
    constexpr std::int64_t kExact = (std::int64_t{1} << 53) - 1;
    const std::pair<const char*, std::pair<std::int64_t, std::int64_t>> cases[] = {
        // A monitor left of or above the main one has negative coordinates.
        {R"({"y": -2147483648, "x": -1280})", {-1280, INT_MIN}},
        {R"({"x": 18446744073709549568, "y": 2147483648})", {kExact, 2147483648}},
        {R"({"x": 9007199254740993, "y": -9223372036854775808})", {kExact, -kExact}},
        {R"({"x": -1e300, "y": 1e300})", {-kExact, kExact}},
        {R"({"x": 12.0, "y": 7})", {12, 7}},
    };
    for (const auto& [point, expected] : cases) {
        SCOPED_TRACE(point);
        EXPECT_TRUE(
            Answer(std::string(R"({"request": "menu", "at": )") + point + "}")["text"].is_string());
        ASSERT_TRUE(menu.shownAt);
        EXPECT_EQ(std::pair(menu.shownAt->x, menu.shownAt->y), expected);
    }
}

// The host keeps the point on the work area of a monitor whose task bars take its left and
// bottom edges: moved onto the area's nearest pixel, never refused.
TEST(NearestPixelTest, PointsOutsideTheWorkAreaGoOntoItsEdge) {
    const ScreenArea workArea{60, 0, 1920, 1040}; // of a monitor of 1920 x 1080
    constexpr std::int64_t kExact = (std::int64_t{1} << 53) - 1;
    const std::pair<ScreenPoint, ScreenPixel> cases[] = {
        {{500, 500}, {500, 500}},       {{60, 0}, {60, 0}},           {{10, 500}, {60, 500}},
        {{500, 1060}, {500, 1039}},     {{1920, 1040}, {1919, 1039}}, {{-5, 2000}, {60, 1039}},
        {{kExact, -kExact}, {1919, 0}},
    };
    for (const auto& [point, expected] : cases) {
        EXPECT_EQ(NearestPixelIn(workArea, point), expected) << point.x << ", " << point.y;
    }
    EXPECT_EQ(NearestPixelIn({10, 20, 10, 20}, {500, 500}), (ScreenPixel{10, 20}));
}

TEST_F(MessageServiceTest, AnythingButAMenuRequestIsAnErrorAndShowsNoMenu) {
    const char* messages[] = {
        "",
        "{",
        R"({"request": "menu")",
        "[1, 2]",
        R"("menu")",
        "{}",
        R"({"request": 1})",
        R"({"Request": "menu"})",
        R"({"request": "Menu"})",
        R"({"request": "snippets"})",
        "{\"request\": \"me\xC3\"}", // not UTF-8
        "{\"request\": \"menu\"} trailing",
        // A point the menu cannot be put at.
        R"({"request": "menu", "at": null})",
        R"({"request": "menu", "at": [10, 20]})",
        R"({"request": "menu", "at": {"x": 10}})",
        R"({"request": "menu", "at": {"x": 10.5, "y": 20}})",
        R"({"request": "menu", "at": {"x": "10", "y": 20}})",
    };
    for (const char* message : messages) {
        SCOPED_TRACE(message);
        const json answer = Answer(message);
        ASSERT_TRUE(answer.is_object());
        EXPECT_EQ(answer.size(), 1u);
        EXPECT_TRUE(answer.contains("error") && answer["error"].is_string());
    }
    EXPECT_EQ(menu.shown, 0);
}

TEST_F(MessageServiceTest, EveryMessageIsAnsweredInOrderUntilTheInputEnds) {
    ScriptedInput input({Framed(R"({"request":"menu"})") + Framed("not json") +
                             Framed(std::string(kMaxMessageBytes + 5, ' ')),
                         Framed(R"({"request":"menu"})")});
    MessageReader reader(input);
    RecordingOutput output;
    EXPECT_EQ(ServeMessages(reader, output, menu, kDefaultIdleLimit), 0);
    ASSERT_EQ(output.writes.size(), 4u) << "one write per answer, each framed whole";
    std::vector<json> answers;
    for (const std::string& write : output.writes) {
        EXPECT_EQ(Framed(write.substr(4)), write);
        answers.push_back(json::parse(write.substr(4)));
    }
    EXPECT_TRUE(answers[0].contains("text"));
    EXPECT_TRUE(answers[1].contains("error"));
    EXPECT_EQ(answers[2]["error"], "the message is 1048581 bytes long; at most 1048576 are read");
    EXPECT_TRUE(answers[3].contains("text"));
    EXPECT_EQ(menu.shown, 2);
    EXPECT_EQ(menu.closed, 0) << "a menu that has closed is not closed again";
}

// The browser has gone while the menu was open: the menu closes, nobody gets its answer, and
// the host ends cleanly without taking another request.
TEST_F(MessageServiceTest, InputEndingWhileTheMenuIsOpenClosesItAndEndsTheHostUnanswered) {
    ScriptedInput input(
        {Framed("{}") + Framed(R"({"request":"menu"})") + Framed(R"({"request":"menu"})")});
    MessageReader reader(input);
    RecordingOutput output;
    menu.inputEnds = true;
    EXPECT_EQ(ServeMessages(reader, output, menu, kDefaultIdleLimit), 0);
    EXPECT_EQ(output.writes.size(), 1u) << "only the message before the menu is answered";
    EXPECT_EQ(menu.shown, 1);
    EXPECT_EQ(menu.closed, 1);
}

// Each wait between messages is the idle limit; when it runs out, the queue is looked at once
// more without waiting, and a message found then is served and starts the limit anew.
TEST_F(MessageServiceTest, QuietForTheIdleLimitEndsTheHostAfterOneMoreLookAtTheQueue) {
    using namespace std::chrono_literals;
    const Incoming request = Message{R"({"request":"menu"})"};
    ScriptedQueue queue({request, Quiet{}, request, Quiet{}, Quiet{}, request});
    RecordingOutput output;
    EXPECT_EQ(ServeMessages(queue, output, menu, 1500ms), 0);
    EXPECT_EQ(output.writes.size(), 2u) << "nothing is served once the host has decided to end";
    EXPECT_EQ(queue.limits, (std::vector{1500ms, 1500ms, 0ms, 1500ms, 0ms}));
}

TEST_F(MessageServiceTest, AnAnswerThatCannotBeWrittenEndsTheHost) {
    ScriptedInput input({Framed(R"({"request":"menu"})") + Framed(R"({"request":"menu"})")});
    MessageReader reader(input);
    RecordingOutput output;
    output.refuse = true;
    EXPECT_EQ(ServeMessages(reader, output, menu, kDefaultIdleLimit), 1);
    EXPECT_EQ(menu.shown, 1) << "no menu for a browser that has gone";
}

TEST(HostArgumentsTest, TheBrowsersWindowIsTakenFromItsArgumentAlone) {
    using Arguments = std::vector<std::string_view>;
    const std::pair<Arguments, std::uint64_t> cases[] = {
        {{"chrome-extension://abc/", "--parent-window=3346816"}, 3346816},
        {{"--parent-window=18446744073709551615"}, 18446744073709551615u},
        {{"C:\\hosts\\quillery.json", "quillery@pennock.example"}, 0},
        {{"--parent-window="}, 0},
        {{"--parent-window=12ab"}, 0},
        {{"--parent-window=18446744073709551616"}, 0},
        {{"--parent-window 5"}, 0},
    };
    for (const auto& [arguments, window] : cases) {
        SCOPED_TRACE(arguments.back());
        EXPECT_EQ(ParentWindowArgument(arguments), window);
    }
}

// Browsers never pass it; without a whole number of milliseconds that a wait can take, the host
// waits ten minutes.
TEST(HostArgumentsTest, TheIdleLimitIsTakenFromItsArgumentOrIsTenMinutes) {
    using Arguments = std::vector<std::string_view>;
    using std::chrono::milliseconds;
    const milliseconds tenMinutes = std::chrono::minutes(10);
    const std::pair<Arguments, milliseconds> cases[] = {
        {{"chrome-extension://abc/", "--idle-limit-ms=1500", "--parent-window=5"},
         milliseconds(1500)},
        {{"--idle-limit-ms=4294967294"}, milliseconds(4294967294)},
        {{"chrome-extension://abc/", "--parent-window=5"}, tenMinutes},
        {{"--idle-limit-ms=0"}, tenMinutes},
        {{"--idle-limit-ms=4294967295"}, tenMinutes},
        {{"--idle-limit-ms=-1"}, tenMinutes},
        {{"--idle-limit-ms=2s"}, tenMinutes},
    };
    for (const auto& [arguments, limit] : cases) {
        SCOPED_TRACE(arguments.front());
        EXPECT_EQ(IdleLimitArgument(arguments), limit);
    }
}

} // namespace
} // namespace quillery::messaging
