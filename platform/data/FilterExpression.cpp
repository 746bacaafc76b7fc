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

[[noreturn]] void SyntaxError(const std::string& What, std::size_t Pos)
{
    throw EDatabaseError("Filter expression: " + What + " at position " + std::to_string(Pos + 1));
}

bool IsNameStart(char C) { return std::isalpha(static_cast<unsigned char>(C)) || C == '_' || (C & 0x80); }
bool IsNameChar(char C) { return IsNameStart(C) || std::isdigit(static_cast<unsigned char>(C)) || C == '.'; }

std::vector<Token> Tokenize(const std::string& S)
{
    std::vector<Token> out;
    const char dec = FormatSettings().DecimalSeparator;
    std::size_t i = 0;
    while (i < S.size()) {
        const char c = S[i];
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
                if (i >= S.size())
                    SyntaxError("unterminated string", t.Pos);
                if (S[i] == '\'') {
                    if (i + 1 < S.size() && S[i + 1] == '\'') {
                        t.Text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.Text += S[i++];
            }
        } else if (c == '[') {
            t.Kind = Tok::Name;
            const std::size_t close = S.find(']', i + 1);
            if (close == std::string::npos)
                SyntaxError("missing ']'", i);
            t.Text = S.substr(i + 1, close - i - 1);
            if (t.Text.empty())
                SyntaxError("empty field name", i);
            i = close + 1;
        } else if (c == '=' ) {
            t.Kind = Tok::Op;
            t.Text = "=";
            ++i;
        } else if (c == '<' || c == '>') {
            t.Kind = Tok::Op;
            t.Text = c;
            ++i;
            if (i < S.size() && (S[i] == '=' || (c == '<' && S[i] == '>')))
                t.Text += S[i++];
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+'
                   || ((c == '.' || c == dec) && i + 1 < S.size()
                       && std::isdigit(static_cast<unsigned char>(S[i + 1])))) {
            t.Kind = Tok::Number;
            if (c == '-' || c == '+') {
                t.Text += c;
                ++i;
                if (i >= S.size() || !(std::isdigit(static_cast<unsigned char>(S[i])) || S[i] == '.' || S[i] == dec))
                    SyntaxError("number expected", t.Pos);
            }
            bool seenSep = false;
            while (i < S.size()) {
                const char d = S[i];
                if (std::isdigit(static_cast<unsigned char>(d))) {
                    t.Text += d;
                } else if ((d == '.' || d == dec) && !seenSep) {
                    seenSep = true;
                    t.Text += '.';
                } else if ((d == 'e' || d == 'E') && i + 1 < S.size()) {
                    t.Text += 'e';
                    if (S[i + 1] == '-' || S[i + 1] == '+')
                        t.Text += S[++i];
                    seenSep = true;
                } else {
                    break;
                }
                ++i;
            }
        } else if (IsNameStart(c)) {
            std::size_t j = i;
            while (j < S.size() && IsNameChar(S[j]))
                ++j;
            t.Text = S.substr(i, j - i);
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
    end.Pos = S.size();
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

bool IsNumericType(TFieldType T)
{
    switch (T) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint:
    case ftFloat: case ftCurrency: case ftBCD:
        return true;
    default:
        return false;
    }
}

bool IsDateType(TFieldType T) { return T == ftDate || T == ftTime || T == ftDateTime; }

double ParseNumberText(const std::string& Text)
{
    // Number tokens were normalised to '.'; strings may carry either separator.
    std::string s = Trim(Text);
    const char dec = FormatSettings().DecimalSeparator;
    std::replace(s.begin(), s.end(), '.', dec);
    double d = 0;
    if (!TryStrToFloat(s, d))
        throw EConvertError("'" + Text + "' is not a valid floating point value");
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
    Parser(const std::string& Text, const TFilterExpression::Resolver& Resolve, std::vector<int>& Used)
        : m_toks(Tokenize(Text)), m_resolve(Resolve), m_used(Used) {}

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

    void CheckDepth(int Depth) const
    {
        if (Depth > TFilterExpression::MaxDepth)
            throw EDatabaseError("Filter expression is nested too deeply");
    }

    NodePtr Join(TFilterExpression::Node::Kind K, NodePtr A, NodePtr B)
    {
        if (A->K == K && K != TFilterExpression::Node::Not) {
            A->Kids.push_back(std::move(B));
            return A;
        }
        auto n = std::make_unique<TFilterExpression::Node>();
        n->K = K;
        n->Kids.push_back(std::move(A));
        if (B)
            n->Kids.push_back(std::move(B));
        return n;
    }

    NodePtr ParseOr(int Depth)
    {
        CheckDepth(Depth);
        NodePtr n = ParseAnd(Depth + 1);
        while (Peek().Kind == Tok::Or) {
            Take();
            n = Join(TFilterExpression::Node::Or, std::move(n), ParseAnd(Depth + 1));
        }
        return n;
    }

    NodePtr ParseAnd(int Depth)
    {
        CheckDepth(Depth);
        NodePtr n = ParseUnary(Depth + 1);
        while (Peek().Kind == Tok::And) {
            Take();
            n = Join(TFilterExpression::Node::And, std::move(n), ParseUnary(Depth + 1));
        }
        return n;
    }

    NodePtr ParseUnary(int Depth)
    {
        CheckDepth(Depth);
        if (Peek().Kind == Tok::Not) {
            Take();
            return Join(TFilterExpression::Node::Not, ParseUnary(Depth + 1), nullptr);
        }
        if (Peek().Kind == Tok::LParen) {
            Take();
            NodePtr n = ParseOr(Depth + 1);
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

    static void Coerce(Operand& Lit, TFieldType FieldType, Cmp Op)
    {
        if (IsNumericType(FieldType)) {
            if (Lit.Type == ftString)
                Lit.Literal = Variant(ParseNumberText(Lit.Literal.AsString()));
            else if (Lit.Type == ftBoolean)
                Lit.Literal = Variant(Lit.Literal.AsBoolean() ? 1.0 : 0.0);
        } else if (IsDateType(FieldType)) {
            if (Lit.Type == ftString) {
                const std::string s = Trim(Lit.Literal.AsString());
                TDateTime dt = 0;
                if (FieldType == ftTime) {
                    dt = StrToTime(s);
                } else if (!TryStrToDateTime(s, dt) && !TryStrToDate(s, dt)) {
                    throw EConvertError("'" + s + "' is not a valid date");
                }
                Lit.Literal = Variant::FromDate(dt);
            }
        } else if (FieldType == ftBoolean) {
            if (Lit.Type == ftString) {
                const std::string u = UpperCase(Trim(Lit.Literal.AsString()));
                if (u == "TRUE" || u == "T" || u == "1")
                    Lit.Literal = Variant(true);
                else if (u == "FALSE" || u == "F" || u == "0")
                    Lit.Literal = Variant(false);
                else
                    throw EConvertError("'" + Lit.Literal.AsString() + "' is not a valid boolean value");
            } else if (Lit.Type == ftFloat) {
                Lit.Literal = Variant(Lit.Literal.AsDouble() != 0.0);
            }
        } else {
            // Text fields: a number is compared by the text it was written as.
            if (Lit.Type == ftFloat)
                Lit.Literal = Variant(Lit.PrefixText);
            else if (Lit.Type == ftBoolean)
                Lit.Literal = Variant(std::string(Lit.Literal.AsBoolean() ? "True" : "False"));
            if ((Op == Cmp::Eq || Op == Cmp::Ne) && Lit.Literal.IsString()) {
                const std::string s = Lit.Literal.AsString();
                if (!s.empty() && s.back() == '*') {
                    Lit.Prefix = true;
                    Lit.PrefixText = s.substr(0, s.size() - 1);
                }
            }
        }
    }

    std::vector<Token> m_toks;
    std::size_t m_pos = 0;
    const TFilterExpression::Resolver& m_resolve;
    std::vector<int>& m_used;
};

Variant ValueOf(const Operand& O, const TFilterExpression::ValueGetter& Get)
{
    return O.Field >= 0 ? Get(O.Field) : O.Literal;
}

bool Satisfies(int C, Cmp Op)
{
    switch (Op) {
    case Cmp::Eq: return C == 0;
    case Cmp::Ne: return C != 0;
    case Cmp::Gt: return C > 0;
    case Cmp::Ge: return C >= 0;
    case Cmp::Lt: return C < 0;
    case Cmp::Le: return C <= 0;
    }
    return false;
}

bool EvalNode(const TFilterExpression::Node& ANode, const TFilterExpression::ValueGetter& Get, TFilterOptions Opt)
{
    using N = TFilterExpression::Node;
    switch (ANode.K) {
    case N::And:
        for (const auto& k : ANode.Kids)
            if (!EvalNode(*k, Get, Opt))
                return false;
        return true;
    case N::Or:
        for (const auto& k : ANode.Kids)
            if (EvalNode(*k, Get, Opt))
                return true;
        return false;
    case N::Not:
        return !EvalNode(*ANode.Kids.front(), Get, Opt);
    case N::IsNull: {
        const Variant v = ValueOf(ANode.L, Get);
        const bool isNull = v.IsEmptyOrNull() || (v.IsString() && v.AsString().empty());
        return isNull != ANode.Negated;
    }
    case N::Compare: {
        const Variant a = ValueOf(ANode.L, Get);
        const Variant b = ValueOf(ANode.R, Get);
        if (a.IsEmptyOrNull() || b.IsEmptyOrNull())
            return false;
        const bool ci = Opt.Contains(foCaseInsensitive);
        if (a.IsString() && b.IsString()) {
            const Operand* lit = ANode.R.Prefix ? &ANode.R : ANode.L.Prefix ? &ANode.L : nullptr;
            if (lit && !Opt.Contains(foNoPartialCompare)) {
                const std::string value = (lit == &ANode.R ? a : b).AsString();
                const std::string head = value.substr(0, std::min(value.size(), lit->PrefixText.size()));
                const bool same = ci ? AnsiCompareText(head, lit->PrefixText) == 0 : head == lit->PrefixText;
                return ANode.Op == Cmp::Eq ? same : !same;
            }
            if (ci)
                return Satisfies(Sign(AnsiCompareText(a.AsString(), b.AsString())), ANode.Op);
            return Satisfies(Sign(a.AsString().compare(b.AsString())), ANode.Op);
        }
        if (a.IsString() != b.IsString()) {
            // Mixed kinds (a field compared with a field of another type):
            // compare the texts so that '=' still means "looks the same".
            return Satisfies(Sign(a.AsString().compare(b.AsString())), ANode.Op);
        }
        return Satisfies(Variant::Compare(a, b), ANode.Op);
    }
    }
    return false;
}

} // namespace

TFilterExpression::TFilterExpression(const std::string& Text, const Resolver& Resolve)
{
    Parser p(Text, Resolve, m_usedFields);
    m_root = p.ParseAll();
}

TFilterExpression::~TFilterExpression() = default;
TFilterExpression::TFilterExpression(TFilterExpression&&) noexcept = default;
TFilterExpression& TFilterExpression::operator=(TFilterExpression&&) noexcept = default;

bool TFilterExpression::Evaluate(const ValueGetter& Value, TFilterOptions Options) const
{
    return !m_root || EvalNode(*m_root, Value, Options);
}

} // namespace qel
