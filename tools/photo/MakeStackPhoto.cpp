// tamrex-make-photo: writes one synthetic photo of a board stack as a JPEG file.

#include "tools/photo/StackPhoto.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

namespace {

constexpr int kBadArguments = 2;
constexpr int kFailed = 1;

// What a real stack brings; each is off unless given.
void AddDifficulties(CLI::App& app, tamrex::testing::StackPhotoRecipe& recipe) {
    app.add_option("--bow", recipe.bow,
                   "Rows the middle of the stack sags below its ends (negative: bulges up)");
    app.add_flag("--faded-top-gap", recipe.fadedTopGap, "Draw the gap under the top board faint");
    app.add_option("--thickness-jitter", recipe.thicknessJitter,
                   "Each board is --board-rows give or take up to this many rows");
    app.add_option("--broken-gaps", recipe.brokenGaps, "Gaps where the boards touch in a few short places");
    app.add_option("--missing-segments", recipe.missingSegments,
                   "Gaps of which a tenth to a third of the width is not drawn");
    app.add_option("--straps", recipe.straps, "Dark vertical straps across the stack");
    app.add_option("--light-slope", recipe.lightSlope,
                   "Percent the light falls from the left to the right edge (negative: right to left)");
    app.add_option("--light-fall", recipe.lightFall,
                   "Percent the light falls from the bottom to the top edge (negative: top to bottom)");
    app.add_option("--vignette", recipe.vignette, "Percent the corners are darker than the middle");
    app.add_option("--bottom-blur", recipe.bottomBlur,
                   "Rows over which the bottom board fades into the floor");
}

void AddOptions(CLI::App& app, tamrex::testing::StackPhotoRecipe& recipe, std::string& out) {
    app.option_defaults()->always_capture_default();
    app.add_option("--width", recipe.width, "Photo width in pixels");
    app.add_option("--height", recipe.height, "Photo height in pixels");
    app.add_option("--boards", recipe.boards, "Boards in the stack");
    app.add_option("--board-rows", recipe.boardRows, "Thickness of one board in pixel rows");
    app.add_option("--gap-rows", recipe.gapRows, "Thickness of the dark gap between boards");
    app.add_option("--faded-gaps", recipe.fadedGaps, "Gaps drawn faint, near the board level");
    app.add_option("--tilt", recipe.tilt, "Rows the stack climbs from the left to the right edge");
    app.add_option("--noise", recipe.noise, "Amplitude of the per-pixel noise");
    AddDifficulties(app, recipe);
    app.add_flag("--grey", recipe.greyscale, "Write 8-bit grey instead of 24-bit colour");
    app.add_option("--quality", recipe.quality, "JPEG quality, 1 to 100");
    app.add_option("--seed", recipe.seed, "Seed; the same seed gives the same photo");
    app.add_option("OUT.jpg", out, "The JPEG file to write")->required();
}

int BadArguments(const CLI::App& app, const std::string& message) {
    std::cerr << app.get_name() << ": " << message << '\n'
              << CLI::Formatter{}.make_usage(&app, app.get_name())
              << "Run with --help to see the options.\n";
    return kBadArguments;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Writes a synthetic photo of a stack of boards seen edge-on.", "tamrex-make-photo"};
    tamrex::testing::StackPhotoRecipe recipe;
    std::string out;
    AddOptions(app, recipe, out);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& error) {
        return BadArguments(app, error.what());
    }

    const std::string problem = tamrex::testing::ValidateStackPhotoRecipe(recipe);
    if (!problem.empty()) return BadArguments(app, problem);

    std::string error;
    if (!tamrex::testing::WriteStackPhoto(recipe, out, error)) {
        std::cerr << app.get_name() << ": " << error << '\n';
        return kFailed;
    }
    return 0;
}
