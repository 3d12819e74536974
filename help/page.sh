# Writes help/<lang>/<topic>.html from stdin: page LANG TOPIC "TITLE" "KEYWORDS"
page() {
local lang=$1 code
case $lang in English) code=en;; German) code=de;; Alternative) code=fr;; esac
cat > /work/wt/i32/help/$lang/$2.html <<EOF
<!DOCTYPE html>
<html lang="$code">
<head>
<meta charset="utf-8">
<title>$3</title>
<meta name="keywords" content="$4">
<link rel="stylesheet" href="help.css">
</head>
<body>
<h1>$3</h1>
$(cat)
</body>
</html>
EOF
}
