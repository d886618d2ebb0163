#include "cli/cli_reference.h"

#include <set>
#include <sstream>

namespace quorvex::cli {

namespace {

// Text for roff: backslashes and minus signs escaped, no line starting with a control character.
std::string roff(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        if ((c == '.' || c == '\'') && out.size() == 1)
            out.insert(0, "\\&");
    }
    return out;
}

std::string html(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> examplesOf(const Command& command)
{
    std::vector<std::string> all;
    for (const auto* list : {&command.gameChanges, &command.examples})
        for (const auto& example : *list)
            all.push_back("quorvex-cli " + command.name + (example.empty() ? "" : " " + example));
    return all;
}

// The literal words of a usage: "weapon|object|sobject", "standard|good", "[levels]".
std::vector<std::string> wordsOf(const Command& command)
{
    std::string usage = command.usage;
    for (auto& c : usage)
        if (c == '[' || c == ']' || c == '|')
            c = ' ';
    std::istringstream stream(usage);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        if (word[0] >= 'a' && word[0] <= 'z' && word.find_first_not_of("abcdefghijklmnopqrstuvwxyz0-9") == std::string::npos)
            words.push_back(word);
    return words;
}

std::string joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const auto& word : words)
        out += (out.empty() ? "" : " ") + word;
    return out;
}

} // namespace

std::string manPage(const CommandTable& table)
{
    std::ostringstream out;
    out << ".TH QUORVEX\\-CLI 1 \"" << QUORVEX_RELEASE_DATE << "\" \"Quorvex " << QUORVEX_VERSION << "\" \"User Commands\"\n"
        << ".SH NAME\nquorvex\\-cli \\- read, convert and change the files of a Torlo game folder\n"
        << ".SH SYNOPSIS\n.B quorvex\\-cli\n[\\fIOPTION\\fR]... \\fICOMMAND\\fR [\\fIARGUMENT\\fR]...\n"
        << ".SH DESCRIPTION\n"
        << roff("quorvex-cli does what the buttons of Quorvex do, for scripts: it reads the tables that "
                "Torlo keeps in torlo.exe, installs and converts mod files, and changes the game's data. "
                "Commands that change game files append the same lines to the activity log as the program, "
                "and before a command first changes a game file a copy of it is kept in the data folder "
                "(see backups list).")
        << "\n.PP\n"
        << roff("Options may stand anywhere on the line, and --name=value is --name value. A file named - "
                "is standard output for sounds export, texts export, palette export and preview, and "
                "standard input for sounds import; write ./- for a file of that name.")
        << "\n.SH OPTIONS\n";
    for (const auto& option : GlobalOptions) {
        out << ".TP\n.B " << roff(std::string(option.shortName.empty() ? "" : std::string(option.shortName) + ", ")
                                  + std::string(option.name));
        if (!option.value.empty())
            out << " \\fI" << option.value << "\\fR";
        out << '\n' << roff(std::string(option.help)) << '\n';
    }
    out << ".SH COMMANDS\n";
    for (const auto& command : table) {
        out << ".TP\n.B " << roff(command.name);
        if (!command.usage.empty())
            out << " \\fI" << roff(command.usage) << "\\fR";
        out << '\n' << roff(command.summary) << '\n';
        for (const auto& example : examplesOf(command))
            out << ".br\n\\(bu " << roff(example) << '\n';
    }
    out << ".SH EXIT STATUS\n0 done, 1 refused or failed, 2 wrong usage.\n"
        << ".SH ENVIRONMENT\n.TP\n.B QUORVEX_DATA_DIR\n"
        << roff("the data folder (activity log, backups, exported sounds); else the per-user data folder "
                "$XDG_DATA_HOME/Morvane/Quorvex")
        << "\n.SH FILES\n.TP\n.I ~/.config/Morvane/Quorvex.conf\n"
        << roff("the settings shared with Quorvex (TorloPath is the game folder)") << '\n'
        << ".SH SEE ALSO\n.BR quorvex (1)\n";
    return out.str();
}

std::string bashCompletion(const CommandTable& table)
{
    std::set<std::string> valueOptions{"--game"};
    std::string global;
    for (const auto& option : GlobalOptions)
        global += (global.empty() ? "" : " ") + std::string(option.name) + (option.shortName.empty() ? "" : " " + std::string(option.shortName));
    std::ostringstream options, keys, words, files, listings;
    for (const auto& command : table) {
        std::vector<std::string> names;
        for (const auto& option : optionsOf(command)) {
            names.push_back(option.name);
            if (option.takesValue)
                valueOptions.insert(option.name);
        }
        options << "        [\"" << command.name << "\"]=\"" << joined(names) << "\"\n";
        if (!command.keys.empty())
            keys << "        [\"" << command.name << "\"]=\"" << joined(command.keys) << "\"\n";
        if (const auto literal = wordsOf(command); !literal.empty())
            words << "        [\"" << command.name << "\"]=\"" << joined(literal) << "\"\n";
        if (!command.files.empty())
            files << "        [\"" << command.name << "\"]=\"" << command.files << "\"\n";
        if (!command.completedFrom.empty())
            listings << "        [\"" << command.name << "\"]=\"" << command.completedFrom << "\"\n";
    }
    std::string valueCase;
    for (const auto& option : valueOptions)
        valueCase += (valueCase.empty() ? "" : "|") + option;
    std::ostringstream out;
    out << "# bash completion for quorvex-cli, made from its command table -*- shell-script -*-\n\n"
           "_quorvex_cli()\n{\n"
           "    local cur prev words cword\n"
           "    _init_completion -n = || return\n\n"
           "    local global=\"" << global << "\"\n"
           "    local -A options=(\n" << options.str() << "    )\n"
           "    local -A keys=(\n" << keys.str() << "    )\n"
           "    local -A literal=(\n" << words.str() << "    )\n"
           "    local -A files=(\n" << files.str() << "    )\n"
           "    local -A listing=(\n" << listings.str() << "    )\n\n"
           "    # --option=VALUE: the value completed after the option and its \"=\".\n"
           "    if [[ $cur == --*=* ]]; then\n"
           "        case ${cur%%=*} in\n"
           "            --game) COMPREPLY=($(compgen -d -P \"${cur%%=*}=\" -- \"${cur#*=}\")); compopt -o nospace 2>/dev/null; return 0 ;;\n"
           "            " << valueCase << ") COMPREPLY=($(compgen -f -P \"${cur%%=*}=\" -- \"${cur#*=}\")); return ;;\n"
           "        esac\n"
           "    fi\n"
           "    case $prev in\n"
           "        --game) _filedir -d; return ;;\n"
           "        " << valueCase << ") _filedir; return ;;\n"
           "    esac\n\n"
           "    # The command typed so far: the words that are not options or their values.\n"
           "    local i w typed=\"\" command=\"\"\n"
           "    for ((i = 1; i < cword; i++)); do\n"
           "        w=${words[i]}\n"
           "        if [[ $w == -* ]]; then\n"
           "            case $w in " << valueCase << ") ((i++)) ;; esac\n"
           "            continue\n"
           "        fi\n"
           "        if [[ -n $command && $command != help ]]; then\n"
           "            # A longer command wins: \"changes revert\" over \"changes\".\n"
           "            [[ -n ${options[\"$command $w\"]+x} ]] && typed=\"$command $w\" command=\"$command $w\"\n"
           "            continue\n"
           "        fi\n"
           "        [[ $command == help ]] && typed=\"\" command=\"\"\n"
           "        typed=${typed:+$typed }$w\n"
           "        [[ -n ${options[$typed]+x} ]] && command=$typed\n"
           "    done\n"
           "    [[ $command == help ]] && typed=\"\" command=\"\"\n\n"
           "    if [[ -z $command ]]; then\n"
           "        if [[ $cur == -* ]]; then\n"
           "            COMPREPLY=($(compgen -W \"$global\" -- \"$cur\"))\n"
           "            return\n"
           "        fi\n"
           "        local name rest\n"
           "        local -A next=()\n"
           "        for name in \"${!options[@]}\"; do\n"
           "            if [[ -z $typed ]]; then\n"
           "                next[${name%% *}]=1\n"
           "            elif [[ $name == \"$typed \"* ]]; then\n"
           "                rest=${name#\"$typed \"}\n"
           "                next[${rest%% *}]=1\n"
           "            fi\n"
           "        done\n"
           "        COMPREPLY=($(compgen -W \"${!next[*]}\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"${options[$command]} $global\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    # Names the game holds (profiles, backup IDs): the first column of a listing of the game on the line.\n"
           "    if [[ -n ${listing[$command]} ]]; then\n"
           "        local game=() j list=(${listing[$command]})\n"
           "        for ((j = 1; j < cword; j++)); do\n"
           "            case ${words[j]} in\n"
           "                --game) game=(--game \"${words[j + 1]}\") ;;\n"
           "                --game=*) game=(\"${words[j]}\") ;;\n"
           "            esac\n"
           "        done\n"
           "        local IFS=$'\\n'\n"
           "        COMPREPLY=($(compgen -W \"$(\"${words[0]}\" \"${game[@]}\" \"${list[@]}\" 2>/dev/null | cut -f1)\" -- \"$cur\"))\n"
           "        return\n"
           "    fi\n"
           "    if [[ -n ${keys[$command]} && $cur != *=* ]]; then\n"
           "        COMPREPLY=($(compgen -S = -W \"${keys[$command]}\" -- \"$cur\"))\n"
           "        [[ ${#COMPREPLY[@]} -gt 0 ]] && compopt -o nospace\n"
           "    fi\n"
           "    [[ -n ${literal[$command]} ]] && COMPREPLY+=($(compgen -W \"${literal[$command]}\" -- \"$cur\"))\n"
           "    [[ -n ${keys[$command]} ]] && return\n"
           "    if [[ -n ${files[$command]} ]]; then\n"
           "        _filedir \"${files[$command]}\"\n"
           "    else\n"
           "        _filedir\n"
           "    fi\n"
           "} &&\n"
           "    complete -F _quorvex_cli quorvex-cli\n";
    return out.str();
}

std::string htmlReference(const CommandTable& table)
{
    std::ostringstream out;
    out << "<h2 id=\"options\">Options</h2>\n<p>Options may stand anywhere on the line; <code>--game=DIR</code> is "
           "<code>--game DIR</code>.</p>\n<table>\n";
    for (const auto& option : GlobalOptions)
        out << "<tr><td><code>" << html(std::string(option.shortName.empty() ? "" : std::string(option.shortName) + ", ")
                                       + std::string(option.name) + (option.value.empty() ? "" : " " + std::string(option.value)))
            << "</code></td><td>" << html(std::string(option.help)) << "</td></tr>\n";
    out << "</table>\n<h2 id=\"commands\">Commands</h2>\n";
    for (const auto& command : table) {
        std::string id = command.name;
        for (auto& c : id)
            if (c == ' ')
                c = '-';
        out << "<h3 id=\"" << id << "\"><code>" << html(command.name) << "</code></h3>\n<p><code>quorvex-cli "
            << html(command.name + (command.usage.empty() ? "" : " " + command.usage)) << "</code></p>\n<p>"
            << html(command.summary) << "</p>\n";
        const auto examples = examplesOf(command);
        if (!examples.empty()) {
            out << "<pre>";
            for (const auto& example : examples)
                out << html(example) << '\n';
            out << "</pre>\n";
        }
    }
    return out.str();
}

} // namespace quorvex::cli
