#include "platform/data/FilterExpression.h"

#include "platform/core/Locale.h"
#include "platform/core/MathUtils.h"

#include <algorithm>
#include <cctype>

namespace qel {

namespace {

enum class Tok { End, Name, String, Number, LParen, RParen, Op, And, Or, Not, Is, Null, True, False };

struct Token {
    Tok Kind = Tok::End;
    std::string Text;   // name, string contents, number text or operator
    std::size_t Pos = 0;
};

[[noreturn]] void SyntaxError(const std::string& what, std::size_t pos)
{
    throw EDatabaseError("Filter expression: " + what + " at position " + std::to_string(pos + 1));
}

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); }
bool IsNameChar(char c) { return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '.'; }

std::vector<Token> Tokenize(const std::string& s)
{
    std::vector<Token> out;
    const char dec = FormatSettings().DecimalSeparator;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        Token t;
        t.Pos = i;
        if (c == '(' || c == ')') {
            t.Kind = c == '(' ? Tok::LParen : Tok::RParen;
            ++i;
        } else if (c == '\'') {
            t.Kind = Tok::String;
            ++i;
            for (;;) {
                if (i >= s.size())
                    SyntaxError("unterminated string", t.Pos);
                if (s[i] == '\'') {
                    if (i + 1 < s.size() && s[i + 1] == '\'') {
                        t.Text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.Text += s[i++];
            }
        } else if (c == '[') {
            t.Kind = Tok::Name;
            // "]]" inside the brackets is one "]" of the name.
            const std::size_t start = i;
            ++i;
            for (;;) {
                if (i >= s.size())
                    SyntaxError("missing ']'", start);
                if (s[i] == ']') {
                    if (i + 1 < s.size() && s[i + 1] == ']') {
                        t.Text += ']';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.Text += s[i++];
            }
            if (t.Text.empty())
                SyntaxError("empty field name", start);
        } else if (c == '=' ) {
            t.Kind = Tok::Op;
            t.Text = "=";
            ++i;
        } else if (c == '<' || c == '>') {
            t.Kind = Tok::Op;
            t.Text = c;
            ++i;
            if (i < s.size() && (s[i] == '=' || (c == '<' && s[i] == '>')))
                t.Text += s[i++];
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+'
                   || ((c == '.' || c == dec) && i + 1 < s.size()
                       && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            t.Kind = Tok::Number;
            if (c == '-' || c == '+') {
                t.Text += c;
                ++i;
                if (i >= s.size() || !(std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.' || s[i] == dec))
                    SyntaxError("number expected", t.Pos);
            }
            bool seenSep = false;
            while (i < s.size()) {
                const char d = s[i];
                if (std::isdigit(static_cast<unsigned char>(d))) {
                    t.Text += d;
                } else if ((d == '.' || d == dec) && !seenSep) {
                    seenSep = true;
                    t.Text += '.';
                } else if ((d == 'e' || d == 'E') && i + 1 < s.size()) {
                    t.Text += 'e';
                    if (s[i + 1] == '-' || s[i + 1] == '+')
                        t.Text += s[++i];
                    seenSep = true;
                } else {
                    break;
                }
                ++i;
            }
        } else if (IsNameStart(c)) {
            std::size_t j = i;
            while (j < s.size() && IsNameChar(s[j]))
                ++j;
            t.Text = s.substr(i, j - i);
            i = j;
            const std::string u = UpperCase(t.Text);
            if (u == "AND") t.Kind = Tok::And;
            else if (u == "OR") t.Kind = Tok::Or;
            else if (u == "NOT") t.Kind = Tok::Not;
            else if (u == "IS") t.Kind = Tok::Is;
            else if (u == "NULL") t.Kind = Tok::Null;
            else if (u == "TRUE") t.Kind = Tok::True;
            else if (u == "FALSE") t.Kind = Tok::False;
            else t.Kind = Tok::Name;
        } else {
            SyntaxError(std::string("unexpected character '") + c + "'", i);
        }
        out.push_back(std::move(t));
    }
    Token end;
    end.Pos = s.size();
    out.push_back(end);
    return out;
}

enum class Cmp { Eq, Ne, Gt, Ge, Lt, Le };

struct Operand {
    int Field = -1;          // >= 0: a field's value
    TFieldType Type = ftUnknown;
    Variant Literal;         // otherwise
    bool Prefix = false;     // string literal that ended in '*'
    std::string PrefixText;  // the literal without the '*'
};

bool IsNumericType(TFieldType t)
{
    switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
    case ftFloat: case ftCurrency: case ftBCD:
        return true;
    default:
        return false;
    }
}

bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime; }

double ParseNumberText(const std::string& text)
{
    // Number tokens were normalised to '.'; strings may carry either separator.
    std::string s = Trim(text);
    const char dec = FormatSettings().DecimalSeparator;
    std::replace(s.begin(), s.end(), '.', dec);
    double d = 0;
    if (!TryStrToFloat(s, d))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return d;
}

} // namespace

struct TFilterExpression::Node {
    enum Kind { And, Or, Not, Compare, IsNull } K = Compare;
    // And/Or hold every operand of a chain, so a long chain stays flat.
    std::vector<std::unique_ptr<Node>> Kids;
    Cmp Op = Cmp::Eq;
    bool Negated = false;   // IS NOT NULL
    Operand L, R;
};

namespace {

class Parser {
public:
    Parser(const std::string& text, const TFilterExpression::Resolver& resolve, std::vector<int>& used)
        : m_toks(Tokenize(text)), m_resolve(resolve), m_used(used) {}

    std::unique_ptr<TFilterExpression::Node> ParseAll()
    {
        if (Peek().Kind == Tok::End)
            return nullptr;
        auto n = ParseOr(0);
        if (Peek().Kind != Tok::End)
            SyntaxError("unexpected '" + Peek().Text + "'", Peek().Pos);
        return n;
    }

private:
    using NodePtr = std::unique_ptr<TFilterExpression::Node>;

    const Token& Peek() const { return m_toks[m_pos]; }
    const Token& Take() { return m_toks[m_pos < m_toks.size() - 1 ? m_pos++ : m_pos]; }

    void CheckDepth(int depth) const
    {
        if (depth > TFilterExpression::MaxDepth)
            throw EDatabaseError("Filter expression is nested too deeply");
    }

    NodePtr Join(TFilterExpression::Node::Kind k, NodePtr a, NodePtr b)
    {
        if (a->K == k && k != TFilterExpression::Node::Not) {
            a->Kids.push_back(std::move(b));
            return a;
        }
        auto n = std::make_unique<TFilterExpression::Node>();
        n->K = k;
        n->Kids.push_back(std::move(a));
        if (b)
            n->Kids.push_back(std::move(b));
        return n;
    }

    NodePtr ParseOr(int depth)
    {
        CheckDepth(depth);
        NodePtr n = ParseAnd(depth + 1);
        while (Peek().Kind == Tok::Or) {
            Take();
            n = Join(TFilterExpression::Node::Or, std::move(n), ParseAnd(depth + 1));
        }
        return n;
    }

    NodePtr ParseAnd(int depth)
    {
        CheckDepth(depth);
        NodePtr n = ParseUnary(depth + 1);
        while (Peek().Kind == Tok::And) {
            Take();
            n = Join(TFilterExpression::Node::And, std::move(n), ParseUnary(depth + 1));
        }
        return n;
    }

    NodePtr ParseUnary(int depth)
    {
        CheckDepth(depth);
        if (Peek().Kind == Tok::Not) {
            Take();
            return Join(TFilterExpression::Node::Not, ParseUnary(depth + 1), nullptr);
        }
        if (Peek().Kind == Tok::LParen) {
            Take();
            NodePtr n = ParseOr(depth + 1);
            if (Peek().Kind != Tok::RParen)
                SyntaxError("')' expected", Peek().Pos);
            Take();
            return n;
        }
        return ParseTest();
    }

    NodePtr ParseTest()
    {
        auto n = std::make_unique<TFilterExpression::Node>();
        n->L = ParseOperand();
        if (Peek().Kind == Tok::Is) {
            Take();
            n->K = TFilterExpression::Node::IsNull;
            if (Peek().Kind == Tok::Not) {
                Take();
                n->Negated = true;
            }
            if (Peek().Kind != Tok::Null)
                SyntaxError("NULL expected", Peek().Pos);
            Take();
            return n;
        }
        if (Peek().Kind != Tok::Op)
            SyntaxError("comparison operator expected", Peek().Pos);
        const std::string op = Take().Text;
        n->Op = op == "=" ? Cmp::Eq : op == "<>" ? Cmp::Ne : op == ">" ? Cmp::Gt
              : op == ">=" ? Cmp::Ge : op == "<" ? Cmp::Lt : Cmp::Le;
        n->R = ParseOperand();
        // Literals take the type of the field they are compared with.
        if (n->L.Field >= 0 && n->R.Field < 0)
            Coerce(n->R, n->L.Type, n->Op);
        else if (n->R.Field >= 0 && n->L.Field < 0)
            Coerce(n->L, n->R.Type, n->Op);
        return n;
    }

    Operand ParseOperand()
    {
        const Token& t = Take();
        Operand o;
        switch (t.Kind) {
        case Tok::Name: {
            const TFilterExpression::FieldRef ref = m_resolve(t.Text);
            if (ref.Index < 0)
                throw EDatabaseError("Field '" + t.Text + "' not found");
            o.Field = ref.Index;
            o.Type = ref.DataType;
            if (std::find(m_used.begin(), m_used.end(), ref.Index) == m_used.end())
                m_used.push_back(ref.Index);
            break;
        }
        case Tok::String:
            o.Literal = Variant(t.Text);
            o.Type = ftString;
            break;
        case Tok::Number: {
            double d = 0;
            try {
                d = ParseNumberText(t.Text);
            } catch (const EConvertError&) {
                SyntaxError("invalid number '" + t.Text + "'", t.Pos);
            }
            o.Literal = Variant(d);
            o.Type = ftFloat;
            o.PrefixText = t.Text;
            break;
        }
        case Tok::True:
        case Tok::False:
            o.Literal = Variant(t.Kind == Tok::True);
            o.Type = ftBoolean;
            break;
        default:
            SyntaxError(t.Kind == Tok::End ? "operand expected at end" : "operand expected", t.Pos);
        }
        return o;
    }

    static void Coerce(Operand& lit, TFieldType fieldType, Cmp op)
    {
        if (IsNumericType(fieldType)) {
            if (lit.Type == ftString)
                lit.Literal = Variant(ParseNumberText(lit.Literal.AsString()));
            else if (lit.Type == ftBoolean)
                lit.Literal = Variant(lit.Literal.AsBoolean() ? 1.0 : 0.0);
        } else if (IsDateType(fieldType)) {
            if (lit.Type == ftString) {
                const std::string s = Trim(lit.Literal.AsString());
                TDateTime dt = 0;
                if (fieldType == ftTime) {
                    dt = StrToTime(s);
                } else if (!TryStrToDateTime(s, dt) && !TryStrToDate(s, dt)) {
                    throw EConvertError("'" + s + "' is not a valid date");
                }
                lit.Literal = Variant::FromDate(dt);
            }
        } else if (fieldType == ftBoolean) {
            if (lit.Type == ftString) {
                const std::string u = UpperCase(Trim(lit.Literal.AsString()));
                if (u == "TRUE" || u == "T" || u == "1")
                    lit.Literal = Variant(true);
                else if (u == "FALSE" || u == "F" || u == "0")
                    lit.Literal = Variant(false);
                else
                    throw EConvertError("'" + lit.Literal.AsString() + "' is not a valid boolean value");
            } else if (lit.Type == ftFloat) {
                lit.Literal = Variant(lit.Literal.AsDouble() != 0.0);
            }
        } else {
            // Text fields: a number is compared by the text it was written as.
            if (lit.Type == ftFloat)
                lit.Literal = Variant(lit.PrefixText);
            else if (lit.Type == ftBoolean)
                lit.Literal = Variant(std::string(lit.Literal.AsBoolean() ? "True" : "False"));
            if ((op == Cmp::Eq || op == Cmp::Ne) && lit.Literal.IsString()) {
                const std::string s = lit.Literal.AsString();
                if (!s.empty() && s.back() == '*') {
                    lit.Prefix = true;
                    lit.PrefixText = s.substr(0, s.size() - 1);
                }
            }
        }
    }

    std::vector<Token> m_toks;
    std::size_t m_pos = 0;
    const TFilterExpression::Resolver& m_resolve;
    std::vector<int>& m_used;
};

Variant ValueOf(const Operand& o, const TFilterExpression::ValueGetter& get)
{
    return o.Field >= 0 ? get(o.Field) : o.Literal;
}

bool Satisfies(int c, Cmp op)
{
    switch (op) {
    case Cmp::Eq: return c == 0;
    case Cmp::Ne: return c != 0;
    case Cmp::Gt: return c > 0;
    case Cmp::Ge: return c >= 0;
    case Cmp::Lt: return c < 0;
    case Cmp::Le: return c <= 0;
    }
    return false;
}

bool EvalNode(const TFilterExpression::Node& n, const TFilterExpression::ValueGetter& get, TFilterOptions opt)
{
    using N = TFilterExpression::Node;
    switch (n.K) {
    case N::And:
        for (const auto& k : n.Kids)
            if (!EvalNode(*k, get, opt))
                return false;
        return true;
    case N::Or:
        for (const auto& k : n.Kids)
            if (EvalNode(*k, get, opt))
                return true;
        return false;
    case N::Not:
        return !EvalNode(*n.Kids.front(), get, opt);
    case N::IsNull: {
        const Variant v = ValueOf(n.L, get);
        const bool isNull = v.IsEmptyOrNull() || (v.IsString() && v.AsString().empty());
        return isNull != n.Negated;
    }
    case N::Compare: {
        const Variant a = ValueOf(n.L, get);
        const Variant b = ValueOf(n.R, get);
        if (a.IsEmptyOrNull() || b.IsEmptyOrNull())
            return false;
        const bool ci = opt.Contains(foCaseInsensitive);
        if (a.IsString() && b.IsString()) {
            const Operand* lit = n.R.Prefix ? &n.R : n.L.Prefix ? &n.L : nullptr;
            if (lit && !opt.Contains(foNoPartialCompare)) {
                const std::string value = (lit == &n.R ? a : b).AsString();
                const std::string head = value.substr(0, std::min(value.size(), lit->PrefixText.size()));
                const bool same = ci ? AnsiCompareText(head, lit->PrefixText) == 0 : head == lit->PrefixText;
                return n.Op == Cmp::Eq ? same : !same;
            }
            if (ci)
                return Satisfies(Sign(AnsiCompareText(a.AsString(), b.AsString())), n.Op);
            return Satisfies(Sign(a.AsString().compare(b.AsString())), n.Op);
        }
        if (a.IsString() != b.IsString()) {
            // Mixed kinds (a field compared with a field of another type):
            // compare the texts so that '=' still means "looks the same".
            return Satisfies(Sign(a.AsString().compare(b.AsString())), n.Op);
        }
        return Satisfies(Variant::Compare(a, b), n.Op);
    }
    }
    return false;
}

} // namespace

TFilterExpression::TFilterExpression(const std::string& text, const Resolver& resolve)
{
    Parser p(text, resolve, m_usedFields);
    m_root = p.ParseAll();
}

TFilterExpression::~TFilterExpression() = default;
TFilterExpression::TFilterExpression(TFilterExpression&&) noexcept = default;
TFilterExpression& TFilterExpression::operator=(TFilterExpression&&) noexcept = default;

bool TFilterExpression::Evaluate(const ValueGetter& value, TFilterOptions options) const
{
    return !m_root || EvalNode(*m_root, value, options);
}

} // namespace qel
