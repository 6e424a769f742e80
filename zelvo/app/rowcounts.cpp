// The stack of row counts of the windows that take a level.
#include "zelvo/app/context.h"

namespace zelvo {

namespace {
void update_depth(AppContext& ctx) {
    ctx.RowCountDepth = 0;
    for (int l = 0; l < 3; ++l)
        if (ctx.RowCountLevelTaken[static_cast<std::size_t>(l)]) ctx.RowCountDepth = l;
}
}  // namespace

int take_row_count_level(AppContext& ctx) {
    for (int l = 1; l < 3; ++l) {
        if (ctx.RowCountLevelTaken[static_cast<std::size_t>(l)]) continue;
        ctx.RowCountLevelTaken[static_cast<std::size_t>(l)] = true;
        ctx.RowCountStack[static_cast<std::size_t>(l)] = 0;
        update_depth(ctx);
        return l;
    }
    return -1;
}

int take_row_count_level(AppContext& ctx, int level) {
    if (level < 0 || level > 2) return -1;
    ctx.RowCountLevelTaken[static_cast<std::size_t>(level)] = true;
    update_depth(ctx);
    return level;
}

void release_row_count_level(AppContext& ctx, int level) {
    if (level < 0 || level > 2) return;
    ctx.RowCountLevelTaken[static_cast<std::size_t>(level)] = false;
    update_depth(ctx);
}

void set_row_count(AppContext& ctx, int level, int count) {
    if (level >= 0 && level <= 2) ctx.RowCountStack[static_cast<std::size_t>(level)] = count;
}

}  // namespace zelvo
