// Tokens of the configuration language, shared by project files, unit files, the registry
// file and single assignments. The order of the rules fixes the token type numbers and
// breaks ties between matches of equal length, so keywords stand before IDENTIFIER.
lexer grammar CommonLexer;

WS            : [ \t\r\n]+ -> skip ;
LINE_COMMENT  : '//' ~[\r\n]* -> skip ;
BLOCK_COMMENT : '/*' .*? '*/' -> skip ;

COLON         : ':' ;
DCOLON        : '::' ;
ALIAS         : '=>' ;
MERGE_ALIAS   : '+>' ;
LBRACE        : '{' ;
RBRACE        : '}' ;
LBRACKET      : '(' ;
RBRACKET      : ')' ;
EQUALS        : '=' ;
NEQUALS       : '!=' ;
GREATER       : '>' ;
LESSER        : '<' ;
APPEND        : '+=' ;
ASSIGNEMPTY   : '\u003F=' ;

// No escapes: a string runs to the next double quote and may span lines.
STRING        : '"' ~'"'* '"' ;
// Raw and path strings may hold quotes and parentheses; they end at the first ')"' that
// the pairwise content scan reaches.
RAW_STRING    : 'R"(' RAW_CONTENT*? ')"' ;
PATH_STRING   : 'P"(' RAW_CONTENT*? ')"' ;
NUMBER        : '-'? [0-9]+ ;

LSQUARE       : '[' ;
RSQUARE       : ']' ;
PLUS          : '+' ;
AT            : '@' ;
UP            : '^' ;
MUST          : '!' ;
SLASH         : '/' ;
COMMA         : ',' ;
DOT           : '.' ;
SEMICOLON     : ';' ;

UNIT_STR      : 'unit' ;
IF_STR        : 'if' ;
IMPORT_STR    : 'import' ;
UNITS_STR     : 'units' ;
PROFILES_STR  : 'profiles' ;
PROJECTS_STR  : 'projects' ;
TOOLS_STR     : 'tools' ;
NAME_STR      : 'name' ;

IDENTIFIER    : [a-zA-Z_] [a-zA-Z0-9_-]* ;

fragment RAW_CONTENT : ~')' | ')' ~'"' ;
