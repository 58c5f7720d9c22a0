// The notes of what is left out.
#include "Shortfall.h"

#include "ByteArena.h"

namespace quillet::drawing {

std::vector<std::string> shortfallNotes(const Drawing& drawing, bool nestingCut) {
    std::vector<std::string> notes;
    if (const std::uint64_t cut = drawing.textsCut())
        notes.push_back("長すぎる文字列 " + std::to_string(cut) + " 件を " +
                        std::to_string(ByteArena::kMaxTextBytes) + " バイトで切っています");
    if (nestingCut)
        notes.push_back(std::to_string(kDeepestBlocks) +
                        " 段より深いブロックの入れ子（自分自身を含むブロックなど）は省いています");
    return notes;
}

std::string listingLimitNote(std::uint64_t limit) {
    return "文字とブロックの複写が " + std::to_string(limit) +
           " 件を超えたため、一覧をそこで打ち切りました";
}

} // namespace quillet::drawing
