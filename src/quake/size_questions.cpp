#include "quake/size_questions.h"

#include "io/safe_save.h"
#include "platform/platform.h"

bool size_suits(const SizeQuestion &rule, int width, int height)
{
    return width % rule.width_multiple == 0 && height % rule.height_multiple == 0;
}

bool size_question_allows(const SizeQuestion &rule, int width, int height)
{
    if (size_suits(rule, width, height) || ask_question(rule.question))
        return true;
    save_refused();
    return false;
}
