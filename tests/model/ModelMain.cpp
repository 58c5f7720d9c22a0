// quillet-model: converts one file with the reference model, for comparing with the engine.
// Usage: quillet-model [--height TEXT] INPUT OUTPUT. On a run-time error it prints
// "実行時エラー N" to stderr, writes nothing and exits with 1.
#include "Model.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

int main(int argc, char** argv) {
    std::string height = "100";
    int next = 1;
    if (argc > 2 && std::strcmp(argv[1], "--height") == 0) {
        height = argv[2];
        next = 3;
    }
    if (argc - next != 2) {
        std::cerr << "usage: quillet-model [--height TEXT] INPUT OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[next], std::ios::binary);
    if (!in) {
        std::cerr << "quillet-model: cannot read " << argv[next] << "\n";
        return 2;
    }
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    auto fail = [](int number) {
        std::cerr << "実行時エラー " << number << "\n";
        return 1;
    };
    const quillet::model::Height h = quillet::model::readHeight(height, ".", ",");
    if (h.error)
        return fail(h.error);
    const quillet::model::Conversion drawing = quillet::model::convert(file, h.value);
    if (drawing.error)
        return fail(drawing.error);

    std::ofstream out(argv[next + 1], std::ios::binary | std::ios::trunc);
    out.write(drawing.bytes.data(), static_cast<std::streamsize>(drawing.bytes.size()));
    if (!out.flush()) {
        std::cerr << "quillet-model: cannot write " << argv[next + 1] << "\n";
        return 2;
    }
    for (char c : quillet::model::report(drawing.placed))
        if (c != '\r')
            std::cout << c;
    return 0;
}
