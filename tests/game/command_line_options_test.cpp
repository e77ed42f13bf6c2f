#include "game/command_line_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "runtime/screen/window_scale.h"

namespace {

struct Answer {
    int status = -1;
    std::string out, err;
};

// What the executable prints and the status it ends with (-1: it runs).
Answer answer(const StartOptions& options) {
    Answer a;
    char *out_text = nullptr, *err_text = nullptr;
    size_t out_size = 0, err_size = 0;
    FILE* out = open_memstream(&out_text, &out_size);
    FILE* err = open_memstream(&err_text, &err_size);
    a.status = answer_start_options(options, out, err);
    std::fclose(out);
    std::fclose(err);
    a.out.assign(out_text, out_size);
    a.err.assign(err_text, err_size);
    std::free(out_text);
    std::free(err_text);
    return a;
}

StartOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tommy-zappo");
    return parse_command_line(static_cast<int>(args.size()), args.data());
}

std::string joined(const std::vector<std::string>& words) {
    std::string all;
    for (const std::string& word : words) all += (all.empty() ? "" : "|") + word;
    return all;
}

const std::string usage = "Usage: tommy-zappo [--scale N|auto] [--help] [--version] [argument ...]\n";

}  // namespace

TEST(CommandLine, ArgumentsGiveTheScaleTheProgramsArgumentsOrAnAnswerWithItsStatus) {
    struct Case {
        std::vector<const char*> args;
        int status;                   // -1: the game runs
        int32_t scale;                // when it runs
        std::string program_args;     // when it runs, joined with |
        std::string err_first_line;   // when refused
    };
    const Case cases[] = {
        {{}, -1, 1, "", ""},
        {{"--scale", "3"}, -1, 3, "", ""},
        {{"--scale=8"}, -1, 8, "", ""},
        {{"--scale", "auto"}, -1, window_scale_auto, "", ""},
        {{"one", "--scale", "2", "two words"}, -1, 2, "one|two words", ""},
        {{"--scale", "2", "--scale=5"}, -1, 5, "", ""},
        {{"-", "x"}, -1, 1, "-|x", ""},
        {{"a", "--", "--scale", "9", "-h"}, -1, 1, "a|--scale|9|-h", ""},
        {{"--help"}, 0, 1, "", ""},
        {{"x", "-h", "--bogus"}, 0, 1, "", ""},
        {{"--version", "--help"}, 0, 1, "", ""},
        {{"--scale", "0"}, 2, 1, "", "tommy-zappo: bad value '0' for --scale: it takes 1 to 8, or auto"},
        {{"--scale", "9"}, 2, 1, "", "tommy-zappo: bad value '9' for --scale: it takes 1 to 8, or auto"},
        {{"--scale", "x"}, 2, 1, "", "tommy-zappo: bad value 'x' for --scale: it takes 1 to 8, or auto"},
        {{"--scale", "03"}, 2, 1, "", "tommy-zappo: bad value '03' for --scale: it takes 1 to 8, or auto"},
        {{"--scale="}, 2, 1, "", "tommy-zappo: bad value '' for --scale: it takes 1 to 8, or auto"},
        {{"--scale"}, 2, 1, "", "tommy-zappo: option '--scale' needs a value: 1 to 8, or auto"},
        {{"--fast", "--help"}, 2, 1, "", "tommy-zappo: unknown option '--fast'"},
        {{"-s", "3"}, 2, 1, "", "tommy-zappo: unknown option '-s'"},
    };
    for (const Case& c : cases) {
        std::string label;
        for (const char* arg : c.args) label += std::string(" ") + arg;
        StartOptions options = parse(c.args);
        Answer a = answer(options);
        EXPECT_EQ(a.status, c.status) << label;
        if (c.status == -1) {
            EXPECT_EQ(options.window_scale, c.scale) << label;
            EXPECT_EQ(joined(options.program_arguments), c.program_args) << label;
            EXPECT_EQ(a.out + a.err, "") << label;
        } else if (c.status == 2) {
            EXPECT_EQ(a.err, c.err_first_line + "\n" + usage) << label;
            EXPECT_EQ(a.out, "") << label;
        } else {
            EXPECT_EQ(a.err, "") << label;
            bool version = options.action == StartAction::version;
            bool help = a.out.starts_with(usage) && a.out.find("--scale auto") != std::string::npos &&
                        a.out.find("man 6 tommy-zappo") != std::string::npos;
            EXPECT_TRUE(version ? std::regex_match(a.out, std::regex("tommy-zappo [0-9]+(\\.[0-9]+)+\n")) : help) << a.out;
        }
    }
}
