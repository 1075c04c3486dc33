#pragma once

#include <QString>
#include <functional>
#include <vector>

class Controls;

// The rules of the import pages: which options are offered (enabled) and which panels are
// shown, as one table of pure functions of the options. The window binds each widget to its
// rule; the tests check the rules without a widget.
namespace OptionRules {

struct Rule
{
    enum class Kind
    {
        Enabled,
        Visible
    };
    QString key; // the control (settings key) or the named panel the rule is for
    Kind kind;
    std::function<bool(const Controls &)> holds;
};

const std::vector<Rule> &rules();
// The rule of one key and kind; true when the key has none.
bool holds(const Controls &controls, const QString &key, Rule::Kind kind = Rule::Kind::Enabled);

} // namespace OptionRules
