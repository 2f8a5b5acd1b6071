# Sourced by the comparison scripts that download from nginx: start_nginx WORK LISTEN serves
# WORK/www with a configuration of its own under WORK (LISTEN is the nginx "listen ..." directive
# with its options), and stops nginx and removes WORK when the script exits.
start_nginx() {
    mkdir -p "$1/www" "$1/temp"
    cat > "$1/nginx.conf" <<CONF
worker_processes 1;
daemon off;
user root;
pid $1/nginx.pid;
error_log $1/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $1/temp/body;
  proxy_temp_path $1/temp/proxy;
  fastcgi_temp_path $1/temp/fastcgi;
  uwsgi_temp_path $1/temp/uwsgi;
  scgi_temp_path $1/temp/scgi;
  types { text/plain txt; text/html html; image/gif gif; image/jpeg jpg; }
  server { $2 root $1/www; }
}
CONF
    /usr/sbin/nginx -c "$1/nginx.conf" -e "$1/error.log" &
    nginx_pid=$!
    nginx_work="$1"
    trap 'kill $nginx_pid 2>/dev/null; wait $nginx_pid 2>/dev/null; rm -rf "$nginx_work"' EXIT
}
