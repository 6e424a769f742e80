// The stack of row counts of the windows that take a level.
#include "zelvo/app/context.h"

namespace zelvo {

namespace {
void updateDepth(AppContext& ctx) {
    ctx.RowCountDepth = 0;
    for (int l = 0; l < 3; ++l)
        if (ctx.RowCountLevelTaken[static_cast<std::size_t>(l)]) ctx.RowCountDepth = l;
}
}  // namespace

int takeRowCountLevel(AppContext& ctx) {
    for (int l = 1; l < 3; ++l) {
        if (ctx.RowCountLevelTaken[static_cast<std::size_t>(l)]) continue;
        ctx.RowCountLevelTaken[static_cast<std::size_t>(l)] = true;
        ctx.RowCountStack[static_cast<std::size_t>(l)] = 0;
        updateDepth(ctx);
        return l;
    }
    return -1;
}

int takeRowCountLevel(AppContext& ctx, int level) {
    if (level < 0 || level > 2) return -1;
    ctx.RowCountLevelTaken[static_cast<std::size_t>(level)] = true;
    updateDepth(ctx);
    return level;
}

void releaseRowCountLevel(AppContext& ctx, int level) {
    if (level < 0 || level > 2) return;
    ctx.RowCountLevelTaken[static_cast<std::size_t>(level)] = false;
    updateDepth(ctx);
}

void set_row_count(AppContext& ctx, int level, int count) {
    if (level >= 0 && level <= 2) ctx.RowCountStack[static_cast<std::size_t>(level)] = count;
}

}  // namespace zelvo
