"""Template lines for the benchmarks, each in two spellings: fillwright's and
envsubst's.

Both spellings expand to the same output: fillwright's $(NAME) is ${NAME} for
envsubst, a $NAME token is always followed by a character that ends the name
for both tools, and envsubst is given the list of known keywords, so unknown
tokens and bare dollar signs stay as written by both.
"""

KEYWORDS = {
    "HOST": "web01",
    "DOMAIN": "example.org",
    "FQDN": "web01.example.org",
    "IPADDR": "10.20.30.40",
    "HTTP_PORT": "8080",
    "HTTPS_PORT": "8443",
    "ROOTDN": "dc=example,dc=org",
    "LOCAL_DIR": "/srv/config",
    "ADMIN": "ops",
    "LOG_LEVEL": "info",
}
NAMES = sorted(KEYWORDS)

# Tokens no keyword answers, in both forms, and dollar signs that begin none.
UNKNOWN_TOKENS = ["$UNSET_NAME ", "$(not set)", "$(Unknown_Key)", "$PATHX "]
BARE_DOLLARS = ["costs $5", "US$ ", "$ alone", "$$ twice", "end $"]

WORDS = ["server", "listen", "user", "path", "name", "root", "log", "port", "set", "for"]
INDENT = "    "


def known_token(rng, name):
    """A token of a known keyword: (fillwright text, envsubst text)."""
    if rng.random() < 0.5:
        return "$(" + name + ")", "${" + name + "}"
    text = "$" + name + " "
    return text, text


def token(rng):
    if rng.random() < 0.05:
        text = rng.choice(UNKNOWN_TOKENS)
        return text, text
    return known_token(rng, rng.choice(NAMES))


def text_line(rng):
    """One line, about 45 bytes: most hold two or three tokens, some none,
    some a bare dollar sign."""
    if rng.random() < 0.1:
        text = INDENT + " ".join(rng.choice(WORDS) for _ in range(8))
        return text, text
    ours, theirs = [], []
    for _ in range(rng.choice((2, 3, 3))):
        word = rng.choice(WORDS) + " "
        mine, env = token(rng)
        ours.append(word + mine)
        theirs.append(word + env)
    if rng.random() < 0.05:
        bare = rng.choice(BARE_DOLLARS)
        ours.append(bare)
        theirs.append(bare)
    return INDENT + " ".join(ours).rstrip() + ";", INDENT + " ".join(theirs).rstrip() + ";"


def write_substitutions(directory):
    """subs.txt for fillwright, shell_format.txt (the keyword list envsubst
    takes) and subs.env (the values, for a shell to export)."""
    import os

    with open(os.path.join(directory, "subs.txt"), "w", newline="\n") as out:
        for name in NAMES:
            out.write(f"{name}={KEYWORDS[name]}\n")
    with open(os.path.join(directory, "shell_format.txt"), "w", newline="\n") as out:
        out.write(" ".join("$" + name for name in NAMES))
    with open(os.path.join(directory, "subs.env"), "w", newline="\n") as out:
        for name in NAMES:
            out.write(f"export {name}='{KEYWORDS[name]}'\n")
