#include "game/command_line_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The outcome in one line: "run <scale> <arguments joined with |>", or the
// status, then what went to standard output and standard error.
std::string outcome(std::vector<const char*> args) {
    args.insert(args.begin(), "tommy-zappo");
    StartOptions options = parse_command_line(static_cast<int>(args.size()), args.data());
    char *out = nullptr, *err = nullptr;
    size_t out_size = 0, err_size = 0;
    FILE* out_stream = open_memstream(&out, &out_size);
    FILE* err_stream = open_memstream(&err, &err_size);
    int status = answer_start_options(options, out_stream, err_stream);
    std::fclose(out_stream);
    std::fclose(err_stream);
    std::string line = std::to_string(status) + " out:" + std::string(out, out_size) + " err:" + std::string(err, err_size);
    std::free(out);
    std::free(err);
    if (status != -1) return line;
    line = "run " + std::to_string(options.window_scale) + " ";
    for (const std::string& arg : options.program_arguments) line += arg + "|";
    return line;
}

const std::string usage = "Usage: tommy-zappo [--scale N|auto] [--help] [--version] [argument ...]\n";
const std::string bad_value = "2 out: err:tommy-zappo: bad value '";

}  // namespace

TEST(CommandLine, ArgumentsGiveTheScaleAndCommandLineOrAnAnswerAndItsStatus) {
    struct Case {
        std::vector<const char*> args;
        std::string outcome;  // for an answer, its start
    };
    const Case cases[] = {
        {{}, "run 1 "},
        {{"--scale", "3"}, "run 3 "},
        {{"--scale=8", "--scale", "auto"}, "run -1 "},
        {{"one", "--scale", "2", "two words"}, "run 2 one|two words|"},
        {{"-", "a", "--", "--scale", "9", "-h"}, "run 1 -|a|--scale|9|-h|"},
        {{"x", "-h", "--bogus"}, "0 out:" + usage + "TOMMY-ZAPPO, a maze action game"},
        {{"--version", "--help"}, "0 out:tommy-zappo " TOMMY_ZAPPO_VERSION "\n err:"},
        {{"--scale", "0"}, bad_value + "0' for --scale: it takes 1 to 8, or auto\n" + usage},
        {{"--scale", "9"}, bad_value + "9' for --scale: it takes 1 to 8, or auto\n" + usage},
        {{"--scale", "x"}, bad_value + "x' for --scale"},
        {{"--scale", "03"}, bad_value + "03' for --scale"},
        {{"--scale="}, bad_value + "' for --scale"},
        {{"--scale"}, "2 out: err:tommy-zappo: option '--scale' needs a value: 1 to 8, or auto\n" + usage},
        {{"--fast", "--help"}, "2 out: err:tommy-zappo: unknown option '--fast'\n" + usage},
        {{"-s", "3"}, "2 out: err:tommy-zappo: unknown option '-s'\n"},
    };
    for (const Case& c : cases) {
        std::string got = outcome(c.args);
        EXPECT_TRUE(c.outcome.starts_with("run") ? got == c.outcome : got.starts_with(c.outcome))
            << "got " << got << "\nwanted " << c.outcome;
    }
}
